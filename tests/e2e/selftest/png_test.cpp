// The screenshot writer: what it writes must read back pixel for pixel through the system's own
// PNG decoder, and flat user-interface pictures must stay small.
#include <gtest/gtest.h>
#include <wincodec.h>
#include <windows.h>

#include "driver/e2e_driver.h"
#include "edge/wide.h"
#include "selftest/png_reader.h"

namespace {

template <class T>
struct ComRef {
    T* p = nullptr;
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() {
        if (p) p->Release();
    }
    T* operator->() const { return p; }
};

struct ComScope {
    HRESULT result = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    ~ComScope() {
        if (SUCCEEDED(result)) CoUninitialize();
    }
};

std::string Hex(HRESULT result) {
    char text[16];
    snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(result));
    return text;
}

// A picture with what screenshots hold: flat areas, a gradient, sharp edges and noise.
e2e::Image TestPicture(int width, int height) {
    e2e::Image image{width, height, std::vector<std::uint8_t>(static_cast<size_t>(width) * height * 3)};
    std::uint32_t seed = 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* pixel = &image.rgb[(static_cast<size_t>(y) * width + x) * 3];
            if (y < height / 3) {
                pixel[0] = 212, pixel[1] = 208, pixel[2] = 200;
            } else if (y < 2 * height / 3) {
                pixel[0] = static_cast<std::uint8_t>(x * 255 / (width > 1 ? width - 1 : 1));
                pixel[1] = static_cast<std::uint8_t>(y);
                pixel[2] = static_cast<std::uint8_t>(255 - x);
            } else {
                seed = seed * 1103515245u + 12345u;
                pixel[0] = static_cast<std::uint8_t>(seed >> 16);
                pixel[1] = static_cast<std::uint8_t>(seed >> 8);
                pixel[2] = (x % 7 == 0) ? 0 : 255;
            }
        }
    }
    return image;
}

}  // namespace

bool ReadPngWithSystemCodec(const std::string& path, e2e::Image& image, std::string& error) {
    ComScope com;
    ComRef<IWICImagingFactory> factory;
    HRESULT result = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IWICImagingFactory, reinterpret_cast<void**>(&factory.p));
    if (FAILED(result)) return error = "no imaging factory " + Hex(result), false;
    ComRef<IWICBitmapDecoder> decoder;
    result = factory->CreateDecoderFromFilename(Wide(path).c_str(), nullptr, GENERIC_READ,
                                                WICDecodeMetadataCacheOnDemand, &decoder.p);
    if (FAILED(result)) return error = "not readable as a picture " + Hex(result), false;
    GUID format{};
    if (FAILED(decoder->GetContainerFormat(&format)) || format != GUID_ContainerFormatPng)
        return error = "not recognised as PNG", false;
    ComRef<IWICBitmapFrameDecode> frame;
    if (FAILED(result = decoder->GetFrame(0, &frame.p))) return error = "no frame " + Hex(result), false;
    UINT width = 0, height = 0;
    frame->GetSize(&width, &height);
    ComRef<IWICBitmapSource> converted;
    if (FAILED(result = WICConvertBitmapSource(GUID_WICPixelFormat24bppBGR, frame.p, &converted.p)))
        return error = "no conversion " + Hex(result), false;
    std::vector<BYTE> bgr(static_cast<size_t>(width) * height * 3);
    if (FAILED(result = converted->CopyPixels(nullptr, width * 3, static_cast<UINT>(bgr.size()), bgr.data())))
        return error = "pixels unreadable " + Hex(result), false;
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.rgb.resize(bgr.size());
    for (size_t i = 0; i < bgr.size(); i += 3) {
        image.rgb[i] = bgr[i + 2];
        image.rgb[i + 1] = bgr[i + 1];
        image.rgb[i + 2] = bgr[i];
    }
    return true;
}

TEST(PngWriter, ChecksumsMatchTheirReferenceValues) {
    const std::string digits = "123456789";
    EXPECT_EQ(e2e::Crc32(reinterpret_cast<const std::uint8_t*>(digits.data()), digits.size()), 0xCBF43926u);
    const std::string word = "Wikipedia";
    EXPECT_EQ(e2e::Adler32(reinterpret_cast<const std::uint8_t*>(word.data()), word.size()), 0x11E60398u);
}

TEST(PngWriter, PicturesReadBackExactlyThroughTheSystemDecoder) {
    std::string folder = e2e::ScratchFolder("png");
    for (auto [width, height] : {std::pair{1, 1}, std::pair{37, 23}, std::pair{300, 200}, std::pair{1024, 9}}) {
        e2e::Image written = TestPicture(width, height);
        std::string path = folder + "picture-" + std::to_string(width) + "x" + std::to_string(height) + ".png";
        ASSERT_TRUE(e2e::WritePng(written, path)) << path;
        e2e::Image read;
        std::string error;
        ASSERT_TRUE(ReadPngWithSystemCodec(path, read, error)) << path << ": " << error;
        EXPECT_EQ(read.width, width);
        EXPECT_EQ(read.height, height);
        EXPECT_TRUE(read.rgb == written.rgb) << width << "x" << height << ": pixels differ";
    }
    e2e::RemoveFolder(folder);
}

TEST(PngWriter, FlatScreensStaySmallAndInvalidPicturesAreRefused) {
    e2e::Image screen{1024, 768, std::vector<std::uint8_t>(1024 * 768 * 3, 0)};
    for (size_t i = 0; i < screen.rgb.size(); i += 3) screen.rgb[i] = 0, screen.rgb[i + 1] = 0x80, screen.rgb[i + 2] = 0x80;
    for (int y = 200; y < 500; ++y)
        for (int x = 300; x < 700; ++x) {
            std::uint8_t* pixel = &screen.rgb[(static_cast<size_t>(y) * 1024 + x) * 3];
            pixel[0] = pixel[1] = pixel[2] = (y == 200 || x == 300) ? 255 : 212;
        }
    std::vector<std::uint8_t> png = e2e::EncodePng(screen);
    EXPECT_LT(png.size(), screen.rgb.size() / 20);

    std::string folder = e2e::ScratchFolder("png-invalid");
    e2e::Image empty;
    EXPECT_FALSE(e2e::WritePng(empty, folder + "empty.png"));
    e2e::Image shortData{4, 4, std::vector<std::uint8_t>(10)};
    EXPECT_FALSE(e2e::WritePng(shortData, folder + "short.png"));
    EXPECT_EQ(GetFileAttributesW(Wide(folder + "short.png").c_str()), INVALID_FILE_ATTRIBUTES);
    e2e::RemoveFolder(folder);
}
