#include "standard_output.h"

#include "console.h"

#include <cstring>
#include <utility>

namespace gorvandel {

namespace {

// Larger than any answer but an argument line, which is written through.
constexpr std::size_t BUFFER_SIZE = 8192;
// A text this long or longer leaves at once, together with what waited, in
// the pieces the C++ runtime's file buffer sent before: a reader at the
// other end of a pipe sees the writes it always saw.
constexpr std::size_t WRITTEN_THROUGH = 1024;

char waiting[BUFFER_SIZE];
std::size_t waitingSize = 0;
std::error_code failure;
OutputDestination destination;

std::error_code sendNow(std::string_view first, std::string_view second)
{
    if (!destination) {
        return writeStandardOutput(first, second);
    }
    const std::error_code error = destination(first);
    return error || second.empty() ? error : destination(second);
}

std::error_code send(std::string_view first, std::string_view second = {})
{
    if (!failure) {
        failure = sendNow(first, second);
    }
    return failure;
}

}  // namespace

void writeOutput(std::string_view text)
{
    if (text.size() >= WRITTEN_THROUGH || text.size() > BUFFER_SIZE - waitingSize) {
        send(std::string_view(waiting, std::exchange(waitingSize, 0)), text);
        return;
    }
    std::memcpy(waiting + waitingSize, text.data(), text.size());
    waitingSize += text.size();
}

std::error_code writeOutputLine(std::string_view text)
{
    writeOutput(text);
    writeOutput("\n");
    return flushOutput();
}

std::error_code flushOutput()
{
    const std::string_view bytes(waiting, waitingSize);
    waitingSize = 0;
    return bytes.empty() ? failure : send(bytes);
}

void sendOutputTo(OutputDestination newDestination)
{
    destination = std::move(newDestination);
    waitingSize = 0;
    failure.clear();
}

std::string_view outputWaiting()
{
    return {waiting, waitingSize};
}

}  // namespace gorvandel
