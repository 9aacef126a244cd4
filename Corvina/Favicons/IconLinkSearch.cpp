#include "Corvina/Favicons/IconLinkSearch.h"

#include "platform/Regex/Regex.h"
#include "shared/Metadata/PageHead.h"

#include <QStringList>
#include <array>

using namespace Qt::StringLiterals;

namespace favicon {
namespace {

struct RelPattern {
    QString token;
    std::optional<regex::Pattern> tag;
};

// Compiled once: the patterns are fixed and a Pattern may serve any thread.
const std::array<RelPattern, 3>& relPatterns() {
    static const std::array<RelPattern, 3> patterns = [] {
        std::array<RelPattern, 3> built;
        const std::array<QString, 3> tokens{u"apple-touch-icon"_s, u"icon"_s, u"shortcut icon"_s};
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            const QString text = uR"(<link\b[^>]*?\brel\s*=\s*["'][^"']*)"_s +
                                 regex::Pattern::escaped(tokens[i]) + uR"([^"']*["'][^>]*?>)"_s;
            built[i] = {tokens[i], regex::Pattern::compile(text, regex::Option::caseInsensitive)};
        }
        return built;
    }();
    return patterns;
}

const std::optional<regex::Pattern>& hrefPattern() {
    static const auto pattern = regex::Pattern::compile(
        uR"re(href\s*=\s*(?:"([^"]*)"|'([^']*)'))re"_s, regex::Option::caseInsensitive);
    return pattern;
}

} // namespace

std::optional<QString> findIconLink(QStringView page, QStringView domain) {
    const QStringView head = pagehead::headOf(page);
    const auto& href = hrefPattern();
    if (!href)
        return std::nullopt;
    for (const RelPattern& rel : relPatterns()) {
        if (!rel.tag)
            continue;
        const auto tag = rel.tag->firstMatch(head);
        if (!tag)
            continue;
        const auto value = href->firstMatch(tag->captured());
        if (!value)
            continue;
        const QStringView found = value->hasCaptured(1) ? value->captured(1) : value->captured(2);
        if (found.isEmpty())
            continue;
        return resolveIconHref(found, domain);
    }
    return std::nullopt;
}

QString resolveIconHref(QStringView href, QStringView domain) {
    if (href.startsWith(u"//"))
        return u"https:"_s + href.toString();
    if (href.startsWith(u"http"))
        return href.toString();
    QString address = u"https://"_s;
    address += domain;
    if (!href.startsWith(u'/'))
        address += u'/';
    address += href;
    return address;
}

} // namespace favicon
