// Applies settings writes and reads through the system's own profile calls:
//   profile_probe OPERATIONS RESULTS
// OPERATIONS holds, a line each, "W" file section key value (WritePrivateProfileStringA) or "R" file
// section key (GetPrivateProfileStringA, 2048 bytes, default ""). RESULTS gets each read's text.

#include <windows.h>

#include <fstream>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    std::ifstream in(argv[1], std::ios::binary);
    std::ofstream results(argv[2], std::ios::binary);
    for (std::string kind, file, section, key, value;
         std::getline(in, kind) && std::getline(in, file) && std::getline(in, section) && std::getline(in, key);) {
        char buffer[2048];
        if (kind == "W" && std::getline(in, value))
            WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str());
        else if (kind == "R")
            results << std::string(buffer, GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer,
                                                                    sizeof buffer, file.c_str())) << '\n';
        else
            return 2;
    }
    return results.good() ? 0 : 1;
}
