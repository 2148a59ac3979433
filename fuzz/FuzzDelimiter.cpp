// The delimiter preference: any stored text decodes to settings that store back to a value
// that decodes the same, with a delimiter that the single-byte files can hold.
#include "link/modGlobals.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString stored =
        QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const auto settings = modGlobals::DecodeDelimiterPreference(stored);
    if (settings.CustomDelimiter && (settings.Delimiter.size() != 1 ||
                                     !modGlobals::IsDelimiterCharacter(settings.Delimiter[0])))
        __builtin_trap();
    const auto again =
        modGlobals::DecodeDelimiterPreference(modGlobals::EncodeDelimiterPreference(settings));
    if (!(again == settings))
        __builtin_trap();
    const QString delimiter = modGlobals::GetDelimiter(settings);
    if (delimiter.size() != 1 || delimiter.at(0).unicode() > 0xFF)
        __builtin_trap();
    return 0;
}
