// Feeds arbitrary bytes to the state-file decoder. Whatever it accepts must survive a write
// and a second read unchanged, and be written the same way again.
#include "StateCodec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<TodoState> state = StateCodec::decode(bytes);
    if (!state)
        return 0;
    const QByteArray encoded = StateCodec::encode(*state);
    const std::optional<TodoState> again = StateCodec::decode(encoded);
    if (!again || *again != *state || StateCodec::encode(*again) != encoded)
        std::abort();
    return 0;
}
