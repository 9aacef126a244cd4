#pragma once

#include "platform/Extension/ExtensionItem.h"

#include <QObject>
#include <vector>

// The request a share host made of the extension: the items it was given and
// the two ways of ending it. The host ends the program when it hears either
// signal; only the first of the two calls counts.
class ExtensionContext : public QObject {
    Q_OBJECT
public:
    explicit ExtensionContext(std::vector<ExtensionItem> inputItems, QObject* parent = nullptr);

    const std::vector<ExtensionItem>& inputItems() const { return m_inputItems; }

    // The share is done (whatever the extension did with it).
    void completeRequest();
    // The user backed out.
    void cancelRequest();
    bool isFinished() const { return m_finished; }

Q_SIGNALS:
    void requestCompleted();
    void requestCancelled();

private:
    std::vector<ExtensionItem> m_inputItems;
    bool m_finished = false;
};
