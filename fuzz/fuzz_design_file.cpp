// Any text through the design file's reader: a document that writes and reads back as itself, or an EngineError.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/DesignFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    riaa::DesignDocument document;
    try {
        document = riaa::ReadDesignFile(text);
    } catch (const riaa::EngineError&) {
        return 0;
    }
    // Whatever was read is saved, and what is saved opens as the same document and saves as the same bytes.
    const std::string saved = riaa::WriteDesignFile(document);
    const riaa::DesignDocument again = riaa::ReadDesignFile(saved);
    if (!(again == document) || riaa::WriteDesignFile(again) != saved) std::abort();
    return 0;
}
