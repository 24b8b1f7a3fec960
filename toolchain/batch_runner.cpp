// tazubat: runs a Windows batch file, as the command processor does on Windows.
#include "platform/batch_runner.h"

#include <exception>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "Usage: tazubat FILE.bat [ARGUMENTS...]\n";
        return 1;
    }
    int status = 1;
    try {
        avrtazu::BatchRunner runner(std::cout, std::cerr);
        const std::vector<std::string> arguments(argv + 2, argv + argc);
        status = runner.runFile(argv[1], arguments);
    } catch (const std::exception& error) {
        // Whatever goes wrong ends in one line that says so, never in an abort.
        std::cerr << "tazubat: " << error.what() << '\n';
    }
    std::cout.flush();
    // An exit status has eight bits here: "not recognized" becomes the shells' 127.
    if (status == avrtazu::BatchRunner::notRecognized) {
        return 127;
    }
    return status >= 0 && status <= 255 ? status : 255;
}
