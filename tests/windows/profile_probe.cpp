// Applies settings writes and reads through the system's own profile calls:
//   profile_probe OPERATIONS RESULTS
// OPERATIONS: one a line, tab-separated: "W file section key value" (WritePrivateProfileStringA)
// or "R file section key" (GetPrivateProfileStringA, 2048 bytes, default ""). RESULTS: each read's text.

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    std::ifstream operations(argv[1], std::ios::binary);
    std::ofstream results(argv[2], std::ios::binary);
    for (std::string line; std::getline(operations, line);) {
        std::vector<std::string> f;
        std::istringstream fields(line + "\t");
        for (std::string field; std::getline(fields, field, '\t');)
            f.push_back(field);
        char buffer[2048];
        if (f.size() == 5 && f[0] == "W")
            WritePrivateProfileStringA(f[2].c_str(), f[3].c_str(), f[4].c_str(), f[1].c_str());
        else if (f.size() == 4 && f[0] == "R")
            results << std::string(buffer, GetPrivateProfileStringA(f[2].c_str(), f[3].c_str(), "", buffer,
                                                                    sizeof buffer, f[1].c_str())) << '\n';
        else
            return 2;
    }
    return operations.eof() && results.good() ? 0 : 1;
}
