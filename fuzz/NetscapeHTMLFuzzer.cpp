// Arbitrary bytes as a Netscape bookmark file. Besides the sanitizers: the
// attribute scanner must agree with the ICU pattern it stands in for, every
// bookmark read must be sound, and writing the result and reading it again
// must give it back up to the losses the format has.
#include "Corvina/ImportExport/NetscapeHTML.h"
#include "fuzz/FuzzCheck.h"
#include "platform/Core/TextDecoding.h"
#include "platform/Regex/Regex.h"

#include <QSet>

namespace {

const QLatin1StringView kNames[] = {QLatin1StringView("HREF"), QLatin1StringView("ADD_DATE"),
                                    QLatin1StringView("LAST_MODIFIED"), QLatin1StringView("TAGS")};

// The attribute pattern run by ICU, as the reader's scanner must behave.
std::optional<QString> icuAttribute(QStringView line, int nameIndex) {
    static const auto patterns = [] {
        std::vector<regex::Pattern> compiled;
        for (const QLatin1StringView name : kNames) {
            auto pattern = regex::Pattern::compile(
                QString(name) + QString::fromUtf16(uR"re(\s*=\s*(?:"([^"]*)"|'([^']*)'))re"),
                regex::Option::caseInsensitive);
            FUZZ_CHECK(pattern);
            compiled.push_back(std::move(*pattern));
        }
        return compiled;
    }();
    const auto match = patterns[size_t(nameIndex)].firstMatch(line);
    if (!match)
        return std::nullopt;
    return (match->hasCaptured(1) ? match->captured(1) : match->captured(2)).toString();
}

bool hasEdgeSpace(const QString& text) {
    const auto space = [](QChar c) { return c == u'\t' || c.category() == QChar::Separator_Space; };
    return !text.isEmpty() && (space(text.front()) || space(text.back()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    // Lines short enough for the step-limited ICU engine to finish.
    if (size < 2048) {
        const QString text = textdecoding::utf8OrLatin1(bytes);
        for (const QStringView line : QStringView(text).split(u'\n')) {
            const netscape::LinkAttributes together = netscape::linkAttributes(line);
            const std::optional<QStringView> inOnePass[] = {together.href, together.addDate,
                                                            together.lastModified, together.tags};
            for (int n = 0; n < int(std::size(kNames)); ++n) {
                const auto ours = netscape::attribute(line, kNames[n]);
                const auto icu = icuAttribute(line, n);
                FUZZ_CHECK(ours.has_value() == icu.has_value());
                FUZZ_CHECK(!ours || *ours == *icu);
                // The reader's one pass for all four gives what four lookups give.
                FUZZ_CHECK(inOnePass[n] == ours);
            }
        }
    }

    auto parsed = NetscapeHTMLImporter::parse(bytes);
    FUZZ_CHECK(parsed.ok());
    const std::vector<BookmarkPayload>& first = parsed.value();
    for (const BookmarkPayload& payload : first) {
        FUZZ_CHECK(Url::parse(payload.url.absoluteString()));
        FUZZ_CHECK(!payload.title.isEmpty());
        FUZZ_CHECK(payload.createdAt.isValid() && payload.updatedAt.isValid());
        FUZZ_CHECK(!payload.tags.contains(QString()));
        FUZZ_CHECK(QSet<QString>(payload.tags.cbegin(), payload.tags.cend()).size() ==
                   payload.tags.size());
    }

    const auto again = NetscapeHTMLImporter::parse(exportNetscapeHTML(first));
    FUZZ_CHECK(again.ok() && again->size() == first.size());
    for (size_t i = 0; i < first.size(); ++i) {
        const BookmarkPayload& a = first[i];
        const BookmarkPayload& b = again.value()[i];
        FUZZ_CHECK(a.url == b.url);
        // Text that itself reads as an entity comes back decoded once more.
        if (!a.title.contains(u'&'))
            FUZZ_CHECK(a.title == b.title);
        bool plainTags = true;
        for (const QString& tag : a.tags)
            plainTags =
                plainTags && !tag.contains(u'&') && !tag.contains(u',') && !hasEdgeSpace(tag);
        if (plainTags)
            FUZZ_CHECK(a.tags == b.tags);
        FUZZ_CHECK(b.createdAt.toMSecsSinceEpoch() ==
                   a.createdAt.toMSecsSinceEpoch() / 1000 * 1000);
        FUZZ_CHECK(b.updatedAt.toMSecsSinceEpoch() ==
                   a.updatedAt.toMSecsSinceEpoch() / 1000 * 1000);
    }
    return 0;
}
