// The release notes shown after an update: parsed from bytes and loaded from a file, then read
// in each language the settings offer, including the Chinese fall-backs.
#include <cstdlib>

#include <QStringList>

#include "FuzzSupport.h"
#include "update/VantrelUpdateReleaseNotes.h"

using namespace vantrel;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::quietLogging();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QStringList languages{QStringLiteral("en"),
                                       QStringLiteral("ko"),
                                       QStringLiteral("zh"),
                                       QStringLiteral("zh-Hant"),
                                       QStringLiteral("zh-Hans"),
                                       QStringLiteral("ja"),
                                       QString()};
    auto& harness = fuzz::FileHarness::shared();
    static const QString path = harness.paths().root() + QStringLiteral("/ReleaseNotes.json");
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const auto parsed = VantrelUpdateReleaseNotes::parse(bytes);
    if (!parsed)
        return 0;
    if (!parsed->isStructurallyValid())
        std::abort();
    // The same bytes in a file (well under the reader's cap) load as a document too. Only
    // accepted input goes through the file: each load sets aside a megabyte buffer.
    harness.place(bytes, {path});
    const auto loaded = VantrelUpdateReleaseNotes::load(path);
    if (!loaded || loaded->version != parsed->version || loaded->localized.size() != parsed->localized.size())
        std::abort();
    for (const QString& language : languages)
        if (const auto notes = parsed->notes(language); notes && (notes->items.isEmpty() || notes->title.isEmpty()))
            std::abort();
    return 0;
}
