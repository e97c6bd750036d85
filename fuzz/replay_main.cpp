// Feeds inputs to a fuzz target's LLVMFuzzerTestOneInput without libFuzzer, so that the target is built and its seeds
// and regression inputs are replayed in every test run (under the sanitizers in the sanitize build). Each argument is
// a file (one input), a folder (each file in it, one input each, in name order) or a ".hex" file (one input per line,
// in hex; empty lines and lines starting with "#" skipped). A target that fails a check aborts; no input at all fails
// too, so that a seed folder that went missing is noticed.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::string fileBytes(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool fromHex(const std::string& line, std::string& out)
{
    out.clear();
    if (line.size() % 2 != 0)
        return false;
    for (std::size_t i = 0; i < line.size(); i += 2) {
        const int high = hexDigit(line[i]);
        const int low = hexDigit(line[i + 1]);
        if (high < 0 || low < 0)
            return false;
        out.push_back(static_cast<char>(high * 16 + low));
    }
    return true;
}

void feed(const std::string& input)
{
    // A copy of its own, exactly as long as the input, so that the sanitizers see a read past its end.
    const std::vector<std::uint8_t> bytes(input.begin(), input.end());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
}

// Returns how many inputs the file held, or -1 when it cannot be read as what its name says.
long replayFile(const std::filesystem::path& path)
{
    if (path.extension() != ".hex") {
        feed(fileBytes(path));
        return 1;
    }
    std::ifstream file(path);
    std::string line;
    std::string input;
    long count = 0;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line.front() == '#')
            continue;
        if (!fromHex(line, input)) {
            std::fprintf(stderr, "%s: a line that is not hex\n", path.c_str());
            return -1;
        }
        feed(input);
        ++count;
    }
    return count;
}

} // namespace

int main(int argc, char** argv)
{
    long total = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path given(argv[i]);
        std::vector<std::filesystem::path> files;
        std::error_code error;
        if (std::filesystem::is_directory(given, error)) {
            for (const auto& entry : std::filesystem::directory_iterator(given, error)) {
                if (entry.is_regular_file())
                    files.push_back(entry.path());
            }
            std::sort(files.begin(), files.end());
        } else if (std::filesystem::is_regular_file(given, error)) {
            files.push_back(given);
        } else {
            std::fprintf(stderr, "%s: no such file or folder\n", argv[i]);
            return 1;
        }
        for (const auto& file : files) {
            const long count = replayFile(file);
            if (count < 0)
                return 1;
            total += count;
        }
    }
    std::printf("replayed %ld inputs\n", total);
    return total > 0 ? 0 : 1;
}
