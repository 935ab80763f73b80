// Runs a fuzz target without libFuzzer, as an ordinary test: every file of
// the seed folders given, then a fixed number of mutants of each (bytes
// flipped, ranges cut or repeated, markup other programs write spliced
// in), the same ones on every run. A fault aborts, as under the fuzzer.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

void Run(const std::string& input) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
}

struct Random {
    uint64_t state;
    size_t Below(size_t n) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return n ? static_cast<size_t>(state >> 33) % n : 0;
    }
};

const char* const kTokens[] = {"<", ">", "&amp;", "&x;", "]]>", "<!DOCTYPE a [<!ENTITY x \"y\">]>", "\"", "\r\n",
                               "\r\n ", ":", ";", ",", "\\", "BEGIN:VTODO\r\n", "END:VTODO\r\n", "RELATED-TO:",
                               "-1", "2147483648", "99999999999", "00000101", "99991231T240000Z", "\x81", "\xEF\xBB\xBF"};

std::string Mutant(std::string s, Random& r) {
    for (size_t edits = 1 + r.Below(4); edits > 0; --edits) {
        const size_t at = r.Below(s.size() + 1), len = r.Below(std::min<size_t>(s.size() - at, 64) + 1);
        switch (r.Below(4)) {
        case 0: if (at < s.size()) s[at] = static_cast<char>(r.Below(256)); break;
        case 1: s.erase(at, len); break;
        case 2: s.insert(at, s.substr(at, len)); break;
        default: s.insert(at, kTokens[r.Below(std::size(kTokens))]);
        }
    }
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    constexpr int kMutants = 300;
    size_t files = 0, runs = 0;
    for (int i = 1; i < argc; ++i) {
        for (const auto& entry : std::filesystem::directory_iterator(argv[i])) {
            std::ifstream in(entry.path(), std::ios::binary);
            const std::string seed((std::istreambuf_iterator<char>(in)), {});
            Run(seed);
            Random r{std::hash<std::string>{}(entry.path().filename().string())};
            for (int m = 0; m < kMutants; ++m, ++runs) Run(Mutant(seed, r));
            ++files;
        }
    }
    std::printf("%zu seeds, %zu mutants, no fault\n", files, runs);
    return files ? 0 : 1;
}
