// libFuzzer target for the library file's reader: no input may crash it, and what it reads must
// write back to a text that reads as the same library and is written the same way again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "library/library_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<Library> library =
        ParseLibrary(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!library) return 0;
    const std::string written = SerializeLibrary(*library);
    const std::optional<Library> again = ParseLibrary(written);
    if (!again || SerializeLibrary(*again) != written) std::abort();
    return 0;
}
