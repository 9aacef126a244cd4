#pragma once

#include "platform/Account/AccountStatusProvider.h"

#include <thread>
#include <vector>

// Keeps every request and answers it when the test says so, from a thread of
// its own as a real cloud service would.
class FakeAccountStatusProvider : public AccountStatusProvider {
public:
    void requestAccountStatus(Completion done) override { requests.push_back(std::move(done)); }

    void answer(std::size_t request, std::optional<CloudAccountStatus> status,
                std::optional<QString> error = std::nullopt) {
        std::thread([&, request] { requests.at(request)(status, error); }).join();
    }

    std::vector<Completion> requests;
};
