// libFuzzer target for the library file's reader: no input may crash it, none is both a library
// and a later version's, and what it reads must write back to a text that reads as the same
// library and is written the same way again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "library/library_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<Library> library = ParseLibrary(text);
    if (library && IsLaterLibraryVersion(text)) std::abort();
    if (!library) return 0;
    const std::string written = SerializeLibrary(*library);
    const std::optional<Library> again = ParseLibrary(written);
    if (!again || SerializeLibrary(*again) != written) std::abort();
    return 0;
}
