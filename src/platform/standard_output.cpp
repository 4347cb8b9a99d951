#include "standard_output.h"

#include "console.h"

#include <cstring>
#include <utility>

namespace gorvandel {

namespace {

// Larger than any answer but an argument line, which is written through.
constexpr std::size_t BUFFER_SIZE = 8192;

char waiting[BUFFER_SIZE];
std::size_t waitingSize = 0;
std::error_code failure;
OutputDestination destination;

bool send(std::string_view bytes)
{
    if (!failure) {
        failure = destination ? destination(bytes) : writeStandardOutput(bytes);
    }
    return !failure;
}

}  // namespace

void writeOutput(std::string_view text)
{
    if (text.size() > BUFFER_SIZE - waitingSize) {
        flushOutput();
        if (text.size() > BUFFER_SIZE) {
            send(text);
            return;
        }
    }
    std::memcpy(waiting + waitingSize, text.data(), text.size());
    waitingSize += text.size();
}

void writeOutputLine(std::string_view text)
{
    writeOutput(text);
    writeOutput("\n");
    flushOutput();
}

bool flushOutput()
{
    const std::string_view bytes(waiting, waitingSize);
    waitingSize = 0;
    return bytes.empty() ? !failure : send(bytes);
}

std::error_code outputError()
{
    return failure;
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
