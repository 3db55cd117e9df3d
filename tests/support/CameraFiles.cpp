#include "tests/support/CameraFiles.h"

#include "tests/support/TestFiles.h"
#include "tests/support/TiffWriter.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>

namespace {

// bytes: 1 to 4.
void PutBigEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) {
        out.push_back(static_cast<uint8_t>((value >> (8 * i)) & 0xFF));
    }
}

void PutText(std::vector<uint8_t>& out, const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
}

// The start marker must come first: every splice goes right behind it.
void RequireStartMarker(const std::vector<uint8_t>& jpeg) {
    if (jpeg.size() < 2 || jpeg[0] != 0xFF || jpeg[1] != 0xD8) {
        throw std::invalid_argument("not a JPEG that starts with FF D8");
    }
}

}  // namespace

std::vector<uint8_t> BytesOf(const std::string& text) {
    return {text.begin(), text.end()};
}

std::vector<uint8_t> MakeSegment(uint8_t code, const std::vector<uint8_t>& payload) {
    if (payload.size() > 0xFFFD) {
        throw std::invalid_argument("segment payload too long for its length field");
    }
    // Sized once and filled in place: GCC 12 at -O3 misreads growing a
    // two-byte vector as reading past it (-Wstringop-overread).
    const size_t length = payload.size() + 2;
    std::vector<uint8_t> segment(2 + length);
    segment[0] = 0xFF;
    segment[1] = code;
    segment[2] = static_cast<uint8_t>(length >> 8);
    segment[3] = static_cast<uint8_t>(length & 0xFF);
    std::copy(payload.begin(), payload.end(), segment.begin() + 4);
    return segment;
}

std::vector<uint8_t> MakeJfifSegment() {
    std::vector<uint8_t> payload = BytesOf(std::string("JFIF", 5));
    for (uint8_t b : {1, 1, 0, 0, 1, 0, 1, 0, 0}) {
        payload.push_back(b);
    }
    return MakeSegment(0xE0, payload);
}

std::vector<uint8_t> MakeJfxxSegment() {
    std::vector<uint8_t> payload = BytesOf(std::string("JFXX", 5));
    for (uint8_t b : {0x13, 1, 1, 0x20, 0x30, 0x40}) {
        payload.push_back(b);
    }
    return MakeSegment(0xE0, payload);
}

std::vector<uint8_t> MakeCameraExifSegment() {
    CJpegRecipe thumbnail;
    thumbnail.width = 16;
    thumbnail.height = 12;
    thumbnail.jfif = false;
    return MakeExifSegment(MakeJpeg(thumbnail));
}

std::vector<uint8_t> MakeXmpSegment() {
    std::vector<uint8_t> payload = BytesOf(std::string("http://ns.adobe.com/xap/1.0/", 29));
    PutText(payload,
            "<?xpacket begin=\"\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>"
            "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">"
            "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">"
            "<rdf:Description rdf:about=\"\" xmlns:exif=\"http://ns.adobe.com/exif/1.0/\" "
            "xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\" xmp:Rating=\"3\" "
            "exif:DateTimeOriginal=\"2019-04-01T10:20:30\"/>"
            "</rdf:RDF></x:xmpmeta><?xpacket end=\"w\"?>");
    return MakeSegment(0xE1, payload);
}

std::vector<uint8_t> IccProfileWithFfBytes() {
    std::vector<uint8_t> body;
    PutText(body, "lcms");
    PutBigEndian(body, 0x02100000, 4);  // version 2.1
    PutText(body, "mntrRGB XYZ ");
    for (uint32_t part : {2019u, 4u, 1u, 10u, 20u, 30u}) {
        PutBigEndian(body, part, 2);
    }
    PutText(body, "acspAPPL");
    PutBigEndian(body, 0, 4);           // flags
    PutBigEndian(body, 0xFFFFFFFF, 4);  // device maker: unknown, an FF run
    PutText(body, "MODL");
    body.insert(body.end(), 8, 0);      // device model attributes
    PutBigEndian(body, 0x0000F6D6, 4);  // D50 illuminant
    PutBigEndian(body, 0x00010000, 4);
    PutBigEndian(body, 0x0000D32D, 4);
    PutText(body, "lcms");
    body.resize(128 - 4, 0);
    body.insert(body.begin(), {0, 0, 0, 0});
    // One tag: a red tone curve whose entries hold FF bytes.
    PutBigEndian(body, 1, 4);
    PutText(body, "rTRC");
    PutBigEndian(body, 144, 4);
    PutBigEndian(body, 12 + 2 * 5, 4);
    PutText(body, "curv");
    PutBigEndian(body, 0, 4);
    PutBigEndian(body, 5, 4);
    for (uint32_t entry : {0x0000u, 0x3F80u, 0x7FFFu, 0xFF80u, 0xFFFFu}) {
        PutBigEndian(body, entry, 2);
    }
    const uint32_t size = static_cast<uint32_t>(body.size());
    for (int i = 0; i < 4; ++i) {
        body[static_cast<size_t>(i)] = static_cast<uint8_t>(size >> (8 * (3 - i)));
    }
    return body;
}

std::vector<uint8_t> MakeIccSegment(const std::vector<uint8_t>& profile) {
    std::vector<uint8_t> payload = BytesOf(std::string("ICC_PROFILE", 12));
    payload.push_back(1);
    payload.push_back(1);
    payload.insert(payload.end(), profile.begin(), profile.end());
    return MakeSegment(0xE2, payload);
}

std::vector<uint8_t> MakeAdobeSegment(uint8_t transform) {
    std::vector<uint8_t> payload = BytesOf("Adobe");
    PutBigEndian(payload, 100, 2);
    PutBigEndian(payload, 0, 2);
    PutBigEndian(payload, 0, 2);
    payload.push_back(transform);
    return MakeSegment(0xEE, payload);
}

std::vector<uint8_t> MakeCommentSegment(const std::string& text) {
    return MakeSegment(0xFE, BytesOf(text));
}

std::vector<uint8_t> InsertAfterStart(const std::vector<uint8_t>& jpeg,
                                      const std::vector<std::vector<uint8_t>>& segments) {
    RequireStartMarker(jpeg);
    std::vector<uint8_t> file(jpeg.begin(), jpeg.begin() + 2);
    for (const std::vector<uint8_t>& segment : segments) {
        file.insert(file.end(), segment.begin(), segment.end());
    }
    file.insert(file.end(), jpeg.begin() + 2, jpeg.end());
    return file;
}

std::vector<uint8_t> NestPictureInFront(const std::vector<uint8_t>& jpeg,
                                        const std::vector<uint8_t>& nested, uint8_t wrapperCode) {
    RequireStartMarker(nested);
    if (wrapperCode == 0) {
        return InsertAfterStart(jpeg, {nested});
    }
    return InsertAfterStart(jpeg, {MakeSegment(wrapperCode, nested)});
}

std::vector<uint8_t> Concatenate(std::vector<uint8_t> front, const std::vector<uint8_t>& back) {
    front.insert(front.end(), back.begin(), back.end());
    return front;
}

std::vector<uint8_t> MakeUntransformedRgbPicture(int width, int height) {
    CJpegRecipe recipe;
    recipe.width = width;
    recipe.height = height;
    recipe.storedRgb = true;
    // The library would mark the file itself; without the Adobe segment and
    // the JFIF one, nothing in the file tells how its samples are stored.
    recipe.adobeMarker = false;
    recipe.jfif = false;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            recipe.pixels.push_back(static_cast<uint8_t>(255 * x / width));
            recipe.pixels.push_back(static_cast<uint8_t>(255 * y / height));
            recipe.pixels.push_back(static_cast<uint8_t>((x * y) & 0xFF));
        }
    }
    return MakeJpeg(recipe);
}

namespace {

std::vector<uint8_t> CameraPicture(const std::vector<uint8_t>& tiff) {
    CJpegRecipe recipe;
    recipe.jfif = false;
    std::vector<uint8_t> exif = BytesOf(std::string("Exif\0\0", 6));
    exif.insert(exif.end(), tiff.begin(), tiff.end());
    return InsertAfterStart(MakeJpeg(recipe), {MakeSegment(0xE1, exif)});
}

std::vector<uint8_t> CameraTiff(EByteOrder order, const std::string& make,
                                const std::string& model) {
    CTiffWriter writer(order);
    if (!make.empty()) {
        writer.Ascii(EIfd::Ifd0, 0x010F, make).Ascii(EIfd::Ifd0, 0x0110, model);
    }
    return writer.Short(EIfd::Ifd0, 0x0112, 1)
        .Rational(EIfd::Exif, 0x829A, 1, 60)
        .Ascii(EIfd::Exif, 0x9003, "2001:02:03 04:05:06")
        .Build();
}

}  // namespace

std::vector<CCameraLikeFile> MakeCameraLikeFiles() {
    std::vector<CCameraLikeFile> files = {
        {"intel.jpg", "Canon", "Canon EOS 40D", {}},
        {"motorola.jpg", "NIKON", "E950", {}},
        {"long-names.jpg", "EASTMAN KODAK COMPANY", "KODAK DC240 ZOOM DIGITAL CAMERA", {}},
        {"no-make.jpg", "", "", {}},
    };
    for (size_t i = 0; i < files.size(); ++i) {
        const EByteOrder order = i % 2 == 0 ? EByteOrder::Intel : EByteOrder::Motorola;
        files[i].bytes = CameraPicture(CameraTiff(order, files[i].make, files[i].model));
    }
    return files;
}

std::vector<uint8_t> MakeCanonLikeFile() {
    return CameraPicture(CTiffWriter(EByteOrder::Intel)
                             .Ascii(EIfd::Ifd0, 0x010F, "Canon")
                             .Ascii(EIfd::Ifd0, 0x0110, "Canon EOS 40D")
                             .Rational(EIfd::Exif, 0x829A, 1, 160)
                             .Rational(EIfd::Exif, 0x829D, 71, 10)
                             .Entry(EIfd::Exif, 0x9000, 7, 4, BytesOf("0221"))
                             .Ascii(EIfd::Exif, 0x9003, "2008:05:30 15:56:01")
                             .Entry(EIfd::Exif, 0xA000, 7, 4, BytesOf("0100"))
                             .Build());
}

std::vector<std::filesystem::path> SharedCameraFiles() {
    std::vector<std::filesystem::path> files;
    for (const std::filesystem::path& file : SampleJpegFiles()) {
        if (file.parent_path().filename() == "camera") {
            files.push_back(file);
        }
    }
    return files;
}

std::vector<std::string> CameraFilesIn(const std::filesystem::path& folder) {
    std::vector<std::string> paths;
    for (const CCameraLikeFile& file : MakeCameraLikeFiles()) {
        paths.push_back((folder / file.name).string());
        WriteFile(paths.back(), file.bytes);
    }
    for (const std::filesystem::path& path : SharedCameraFiles()) {
        paths.push_back(path.string());
    }
    return paths;
}

std::vector<uint8_t> MakeXmpSegmentWith(const std::string& attributes) {
    std::vector<uint8_t> payload = BytesOf(std::string("http://ns.adobe.com/xap/1.0/", 29));
    PutText(payload,
            "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
            "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><rdf:Description "
            "rdf:about=\"\" xmlns:GCamera=\"http://ns.google.com/photos/1.0/camera/\" "
            "xmlns:hdrgm=\"http://ns.adobe.com/hdr-gain-map/1.0/\" "
            "xmlns:Container=\"http://ns.google.com/photos/1.0/container/\" "
            "xmlns:Item=\"http://ns.google.com/photos/1.0/container/item/\" " +
                attributes + "/></rdf:RDF></x:xmpmeta>");
    return MakeSegment(0xE1, payload);
}

CPhonePhoto MakeMotionPhoto(const std::vector<uint8_t>& jpeg) {
    std::vector<uint8_t> video;
    PutBigEndian(video, 24, 4);
    PutText(video, "ftypisom");
    PutBigEndian(video, 0, 4);
    PutText(video, "isommp42");
    PutBigEndian(video, 24, 4);
    PutText(video, "mdat");
    for (uint8_t b : {0xFF, 0xD8, 0xFF, 0xD9, 0xFF, 0xE1, 0x00, 0x00, 0xFF, 0x00, 0x12, 0x34, 0x56,
                      0x78, 0x9A, 0xBC}) {
        video.push_back(b);
    }
    const std::string length = std::to_string(video.size());
    const std::vector<uint8_t> xmp = MakeXmpSegmentWith(
        "GCamera:MotionPhoto=\"1\" GCamera:MotionPhotoVersion=\"1\" "
        "Container:Directory=\"Primary MotionPhoto\" Item:Semantic=\"MotionPhoto\" "
        "Item:Mime=\"video/mp4\" Item:Length=\"" +
        length + "\"");
    CPhonePhoto photo{InsertAfterStart(jpeg, {xmp}), 0};
    photo.primaryEnd = photo.bytes.size();
    photo.bytes.insert(photo.bytes.end(), video.begin(), video.end());
    return photo;
}

namespace {

// An MPF index of two images, big-endian: the primary of primaryBytes at
// offset 0 and a dependent image of secondBytes at secondOffset.
std::vector<uint8_t> MakeMpfSegment(uint32_t primaryBytes, uint32_t secondBytes,
                                    uint32_t secondOffset) {
    std::vector<uint8_t> payload = BytesOf(std::string("MPF", 4));
    PutText(payload, "MM");
    PutBigEndian(payload, 0x2A, 2);
    PutBigEndian(payload, 8, 4);
    PutBigEndian(payload, 3, 2);
    const uint32_t entriesAt = 8 + 2 + 3 * 12 + 4;
    for (const auto& [tag, type, count, value] : {std::array<uint32_t, 4>{0xB000, 7, 4, 0x30313030},
                                                  {0xB001, 4, 1, 2},
                                                  {0xB002, 7, 32, entriesAt}}) {
        PutBigEndian(payload, tag, 2);
        PutBigEndian(payload, type, 2);
        PutBigEndian(payload, count, 4);
        PutBigEndian(payload, value, 4);
    }
    PutBigEndian(payload, 0, 4);
    for (const auto& [attribute, bytes, offset] :
         {std::array<uint32_t, 3>{0x20030000, primaryBytes, 0},
          {0x00000000, secondBytes, secondOffset}}) {
        PutBigEndian(payload, attribute, 4);
        PutBigEndian(payload, bytes, 4);
        PutBigEndian(payload, offset, 4);
        PutBigEndian(payload, 0, 4);
    }
    return MakeSegment(0xE2, payload);
}

}  // namespace

CPhonePhoto MakeGainMapPhoto(const std::vector<uint8_t>& jpeg,
                             const std::vector<std::vector<uint8_t>>& segmentsInFront,
                             bool gainMapXmp) {
    CJpegRecipe small;
    small.width = 16;
    small.height = 16;
    small.grayscale = true;
    const std::vector<uint8_t> gainMap =
        gainMapXmp ? InsertAfterStart(
                         MakeJpeg(small),
                         {MakeXmpSegmentWith("hdrgm:Version=\"1.0\" hdrgm:GainMapMax=\"2.0\"")})
                   : MakeJpeg(small);
    std::vector<std::vector<uint8_t>> segments = segmentsInFront;
    if (gainMapXmp) {
        segments.push_back(
            MakeXmpSegmentWith("hdrgm:Version=\"1.0\" Container:Directory=\"Primary "
                               "GainMap\" Item:Semantic=\"GainMap\""));
    }
    size_t mpfAt = 2;
    for (const std::vector<uint8_t>& segment : segments) {
        mpfAt += segment.size();
    }
    segments.push_back(MakeMpfSegment(0, 0, 0));
    const size_t primaryBytes = jpeg.size() + mpfAt - 2 + segments.back().size();
    const uint32_t base = static_cast<uint32_t>(mpfAt + 8);
    segments.back() =
        MakeMpfSegment(static_cast<uint32_t>(primaryBytes), static_cast<uint32_t>(gainMap.size()),
                       static_cast<uint32_t>(primaryBytes - base));
    CPhonePhoto photo{InsertAfterStart(jpeg, segments), primaryBytes};
    photo.bytes.insert(photo.bytes.end(), gainMap.begin(), gainMap.end());
    return photo;
}

std::vector<std::vector<uint8_t>> MakeIccSegments(const std::vector<uint8_t>& profile, int chunks) {
    std::vector<std::vector<uint8_t>> segments;
    const size_t share = (profile.size() + chunks - 1) / chunks;
    for (int i = 0; i < chunks; ++i) {
        std::vector<uint8_t> payload = BytesOf(std::string("ICC_PROFILE", 12));
        payload.push_back(static_cast<uint8_t>(i + 1));
        payload.push_back(static_cast<uint8_t>(chunks));
        const size_t from = std::min(profile.size(), share * i);
        const size_t to = std::min(profile.size(), from + share);
        payload.insert(payload.end(), profile.begin() + static_cast<long>(from),
                       profile.begin() + static_cast<long>(to));
        segments.push_back(MakeSegment(0xE2, payload));
    }
    return segments;
}

std::vector<uint8_t> MakeOrientedExifSegment(uint16_t orientation) {
    std::vector<uint8_t> payload = BytesOf(std::string("Exif\0\0", 6));
    const std::vector<uint8_t> tiff = CTiffWriter(EByteOrder::Intel)
                                          .Ascii(EIfd::Ifd0, 0x010F, "Phone maker")
                                          .Ascii(EIfd::Ifd0, 0x0110, "Phone 7")
                                          .Short(EIfd::Ifd0, 0x0112, orientation)
                                          .Ascii(EIfd::Ifd0, 0x013B, "A. Person")
                                          .Ascii(EIfd::Exif, 0x9003, "2026:12:09 10:20:30")
                                          .Build();
    payload.insert(payload.end(), tiff.begin(), tiff.end());
    return MakeSegment(0xE1, payload);
}
