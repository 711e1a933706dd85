// Writes the two settings values over and over, for a test that kills it mid-write.
// Usage: settings_writer FILE

#include <string>

#include "Commands.h"
#include "app_services.h"

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    std::wstring file = FromAnsi(argv[1]);
    for (long round = 0;; ++round) {
        std::wstring value = round % 2 ? std::wstring(3000, L'b') : L"a";
        Commands::WriteIni(L"Tarvex Blinkmor", L"Top", value, file);
    }
}
