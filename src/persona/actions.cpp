#include "actions.h"

#include "platform.h"

#include <cstdlib>
#include <iostream>
#include <iterator>
#include <utility>

namespace gorvandel {

namespace {

void sayHelloWorld()
{
    std::cout << "Hello World!" << std::endl;
}

void uploadSomeData()
{
    std::cout << "Uploading some data to the internet..." << std::endl;
}

void downloadSomeData()
{
    std::cout << "Downloading some data from the internet..." << std::endl;
}

void generateRandomNumbers()
{
    std::cout << "Generating some random numbers..." << std::endl;
}

void calculateMeaningOfLife()
{
    std::cout << "Calculating the meaning of life..." << std::endl;
}

void printRandomHexadecimal()
{
    const int number = std::rand();
    // Back to decimal at once: later numbers must not inherit the base.
    std::cout << std::hex << "0x" << number << std::dec << std::endl;
}

void printRandomDecimal()
{
    std::cout << std::rand() << std::endl;
}

void printDateAndTime()
{
    // The text carries its own newline; like the runtime's date text it is
    // written without a flush.
    std::cout << dateLine(currentCalendarTime());
}

// Each argument action writes prefix, the argument exactly as typed, suffix.
void announce(const char* prefix, const std::string& argument, const char* suffix)
{
    std::cout << prefix << argument << suffix << std::endl;
}

void uploadFile(std::string argument)
{
    announce("Uploading \"", argument, "\" to the internet...");
}

void downloadFile(std::string argument)
{
    announce("Downloading \"", argument, "\" from the internet...");
}

void downloadSimilarFiles(std::string argument)
{
    announce("Downloading random files similar to \"", argument, "\" from the internet...");
}

void deleteFile(std::string argument)
{
    announce("Deleting file \"", argument, "\"...");
}

void createFile(std::string argument)
{
    announce("Creating new file \"", argument, "\"...");
}

void appendRandomData(std::string argument)
{
    announce("Append random data to file \"", argument, "\"...");
}

void transferToPrinter(std::string argument)
{
    announce("Transfer file \"", argument, "\" to printer...");
}

void printToDebugLog(std::string argument)
{
    announce("Print file \"", argument, "\" to secret debug log...");
}

void sendToEa(std::string argument)
{
    announce("Send file \"", argument, "\" to EA...");
}

void sendToUbisoft(std::string argument)
{
    announce("Send file \"", argument, "\" to Ubisoft");
}

// In table order. An action's index is its identity.
constexpr PlainAction PLAIN_ACTIONS[] = {
    sayHelloWorld,          uploadSomeData,         downloadSomeData,   generateRandomNumbers,
    calculateMeaningOfLife, printRandomHexadecimal, printRandomDecimal, printDateAndTime,
};
constexpr ArgumentAction ARGUMENT_ACTIONS[] = {
    uploadFile,       downloadFile,      downloadSimilarFiles, deleteFile, createFile,
    appendRandomData, transferToPrinter, printToDebugLog,      sendToEa,   sendToUbisoft,
};
static_assert(std::size(PLAIN_ACTIONS) == PLAIN_ACTION_COUNT);
static_assert(std::size(ARGUMENT_ACTIONS) == ARGUMENT_ACTION_COUNT);

}  // namespace

std::vector<PlainAction> plainActionTable()
{
    return {std::begin(PLAIN_ACTIONS), std::end(PLAIN_ACTIONS)};
}

std::vector<ArgumentAction> argumentActionTable()
{
    return {std::begin(ARGUMENT_ACTIONS), std::end(ARGUMENT_ACTIONS)};
}

std::string dateLine(std::int64_t seconds)
{
    if (auto text = calendarTimeText(seconds)) {
        return *std::move(text);
    }
    return "Date and time unavailable\n";
}

}  // namespace gorvandel
