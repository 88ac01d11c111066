// Feeds arbitrary bytes to the state-file decoder. Whatever it accepts must survive a write
// and a second read unchanged, and be written the same way again.
#include "TodoState.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<TodoState> state = TodoState::decode(bytes);
    if (!state)
        return 0;
    const QByteArray encoded = state->encode();
    const std::optional<TodoState> again = TodoState::decode(encoded);
    if (!again || *again != *state || again->encode() != encoded)
        std::abort();
    return 0;
}
