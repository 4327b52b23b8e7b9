// Reads the text of one picture with Tesseract and writes it to standard
// output as UTF-8. Run by TextRecognizer in a process of its own, so a
// crash, a hang or the memory Tesseract takes never reaches Velloq.
// Arguments: the PNG's path and the languages ("eng+deu").

#include <cstdio>
#include <cstring>
#include <leptonica/allheaders.h>
#include <memory>
#include <sched.h>
#include <sys/resource.h>
#include <tesseract/baseapi.h>

namespace {

// Smaller pictures hold no readable line; larger ones cost more time and
// memory than a screenshot of several screens.
constexpr long smallestSide = 12;
constexpr long largestPixels = 8000L * 8000L;
constexpr rlim_t largestMemory = rlim_t(1536) << 20;
constexpr rlim_t cpuSeconds = 60;

// AddressSanitizer reserves terabytes of address space for its shadow
// memory, which an address-space limit forbids: the test build goes without.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool limitsAddressSpace = false;
#else
constexpr bool limitsAddressSpace = true;
#endif

// Idle priority and hard limits, so the helper only uses a core nothing
// else wants and cannot take the machine down with it.
void limitItself() {
    sched_param parameters{};
    sched_setscheduler(0, SCHED_IDLE, &parameters);
    if (limitsAddressSpace) {
        const rlimit memory{largestMemory, largestMemory};
        setrlimit(RLIMIT_AS, &memory);
    }
    const rlimit cpu{cpuSeconds, cpuSeconds};
    setrlimit(RLIMIT_CPU, &cpu);
}

bool isReadableSize(const char* path) {
    l_int32 width = 0, height = 0;
    if (pixReadHeader(path, nullptr, &width, &height, nullptr, nullptr, nullptr) != 0)
        return false;
    return width >= smallestSide && height >= smallestSide &&
           long(width) * long(height) <= largestPixels;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: velloq-text-recognition PICTURE.png LANGUAGES\n", stderr);
        return 2;
    }
    limitItself();
    // A picture not worth reading has no text: an empty answer, not a failure.
    if (!isReadableSize(argv[1]))
        return 0;
    Pix* picture = pixRead(argv[1]);
    if (!picture)
        return 0;
    tesseract::TessBaseAPI reader;
    if (reader.Init(nullptr, argv[2], tesseract::OEM_LSTM_ONLY) != 0) {
        pixDestroy(&picture);
        return 1;
    }
    reader.SetPageSegMode(tesseract::PSM_AUTO);
    reader.SetImage(picture);
    const std::unique_ptr<char[]> text(reader.GetUTF8Text());
    if (text)
        std::fwrite(text.get(), 1, std::strlen(text.get()), stdout);
    reader.End();
    pixDestroy(&picture);
    return text ? 0 : 1;
}
