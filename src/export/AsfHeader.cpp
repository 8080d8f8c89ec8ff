#include "export/AsfHeader.h"

#include "export/ByteOrder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>

namespace {

using Guid = std::array<std::uint8_t, 16>;

// The byte form of a GUID as the file stores it: the first three fields little-endian.
constexpr Guid guid(const char (&text)[37])
{
    const auto hex = [](char c) { return std::uint8_t(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10); };
    const auto byteAt = [&](int at) { return std::uint8_t(hex(text[at]) << 4 | hex(text[at + 1])); };
    return Guid{byteAt(6),  byteAt(4),  byteAt(2),  byteAt(0),  byteAt(11), byteAt(9),
                byteAt(16), byteAt(14), byteAt(19), byteAt(21), byteAt(24), byteAt(26),
                byteAt(28), byteAt(30), byteAt(32), byteAt(34)};
}

constexpr Guid kHeader = guid("75B22630-668E-11CF-A6D9-00AA0062CE6C");
constexpr Guid kData = guid("75B22636-668E-11CF-A6D9-00AA0062CE6C");
constexpr Guid kFileProperties = guid("8CABDCA1-A947-11CF-8EE4-00C00C205365");
constexpr Guid kStreamProperties = guid("B7DC0791-A9B7-11CF-8EE6-00C00C205365");
constexpr Guid kCodecList = guid("86D15240-311D-11D0-A3A4-00A0C90348F6");
constexpr Guid kMarker = guid("F487CD01-A951-11CF-8EE6-00C00C205365");
constexpr Guid kMarkerReserved = guid("4CFEDB20-75F6-11CF-9C0F-00A0C90349CB");
constexpr Guid kScriptCommand = guid("1EFB1A30-0B62-11D0-A39B-00A0C90348F6");
constexpr Guid kScriptReserved = guid("4B1ACBE3-100B-11D0-A39B-00A0C90348F6");
constexpr Guid kSimpleIndex = guid("33000890-E5B1-11CF-89F4-00A0C90349CB");
constexpr Guid kAudioMedia = guid("F8699E40-5B4D-11CF-A8FD-00805F5C442B");
constexpr Guid kVideoMedia = guid("BC19EFC0-5B4D-11CF-A8FD-00805F5C442B");
constexpr Guid kCommandMedia = guid("59DACFC0-59E6-11D0-A3AC-00A0C90348F6");

constexpr std::size_t kObjectHead = 24;
constexpr std::size_t kHeaderHead = 30;
constexpr std::uint64_t kMaxHeader = 64u << 20;
constexpr std::size_t kTypeSpecificAt = 78;

bool isGuid(const std::uint8_t* p, const Guid& id)
{
    return std::memcmp(p, id.data(), id.size()) == 0;
}

void putGuid(std::vector<std::uint8_t>& out, const Guid& id)
{
    putBytes(out, id.data(), id.size());
}

struct Object {
    std::size_t at;
    std::size_t size;
};

// The header's objects; false when one reaches past the header or is smaller than its own head.
bool headerObjects(const std::vector<std::uint8_t>& header, std::vector<Object>& objects)
{
    for (std::size_t at = kHeaderHead; at < header.size();) {
        if (header.size() - at < kObjectHead)
            return false;
        const std::uint64_t size = le64(&header[at + 16]);
        if (size < kObjectHead || size > header.size() - at)
            return false;
        objects.push_back({at, std::size_t(size)});
        at += std::size_t(size);
    }
    return true;
}

bool readAt(std::ifstream& in, std::uint64_t at, std::size_t count, std::vector<std::uint8_t>& bytes)
{
    bytes.resize(count);
    in.clear();
    in.seekg(std::streamoff(at));
    in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(count));
    return std::size_t(in.gcount()) == count;
}

struct ParsedFile {
    std::vector<std::uint8_t> header;
    std::vector<Object> objects;
    std::uint64_t fileSize = 0;
    std::uint64_t dataSize = 0;
    std::uint64_t preroll = 0;
    std::uint32_t packetSize = 0;
    std::uint64_t indexInterval = 0;
    std::vector<std::uint32_t> indexPackets;
};

bool parseFile(const std::filesystem::path& path, ParsedFile& file, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open the file";
        return false;
    }
    in.seekg(0, std::ios::end);
    file.fileSize = std::uint64_t(in.tellg());
    std::vector<std::uint8_t> head;
    if (!readAt(in, 0, kHeaderHead, head) || !isGuid(head.data(), kHeader)) {
        error = "not an advanced systems format file: the header object is missing";
        return false;
    }
    const std::uint64_t headerSize = le64(&head[16]);
    if (headerSize < kHeaderHead || headerSize > kMaxHeader || headerSize > file.fileSize ||
        !readAt(in, 0, std::size_t(headerSize), file.header) || !headerObjects(file.header, file.objects)) {
        error = "the header objects are damaged or truncated";
        return false;
    }
    for (const Object& object : file.objects) {
        const std::uint8_t* p = &file.header[object.at];
        if (isGuid(p, kFileProperties) && object.size >= 104) {
            file.preroll = le64(p + 80);
            file.packetSize = le32(p + 92);
        }
    }
    std::vector<std::uint8_t> data;
    if (!readAt(in, headerSize, kObjectHead, data) || !isGuid(data.data(), kData)) {
        error = "the data object does not follow the header";
        return false;
    }
    file.dataSize = le64(&data[16]);
    std::uint64_t at = headerSize + file.dataSize;
    // Objects after the data are optional; a damaged one ends the walk.
    std::vector<std::uint8_t> object;
    while (file.dataSize >= kObjectHead && at < file.fileSize && readAt(in, at, kObjectHead, object)) {
        const std::uint64_t size = le64(&object[16]);
        if (size < kObjectHead || size > file.fileSize - at)
            break;
        if (isGuid(object.data(), kSimpleIndex) && size >= 56 && size < kMaxHeader) {
            std::vector<std::uint8_t> index;
            if (!readAt(in, at, std::size_t(size), index))
                break;
            file.indexInterval = le64(&index[40]);
            const std::uint32_t count = le32(&index[52]);
            for (std::uint32_t i = 0; i < count && 56 + 6 * std::size_t(i) + 6 <= index.size(); ++i)
                file.indexPackets.push_back(le32(&index[56 + 6 * std::size_t(i)]));
        }
        at += size;
    }
    return true;
}

std::string narrow(const std::uint8_t* p, std::size_t characters)
{
    std::string text;
    for (std::size_t i = 0; i < characters; ++i) {
        const std::uint16_t c = le16(p + 2 * i);
        if (c == 0)
            break;
        text.push_back(c < 0x100 ? char(c) : '?');
    }
    return text;
}

std::vector<std::uint8_t> markerObject(const std::vector<AsfMarker>& markers, const ParsedFile& file)
{
    std::vector<std::uint8_t> body;
    putGuid(body, kMarkerReserved);
    putLe32(body, std::uint32_t(markers.size()));
    putLe16(body, 0);
    putLe16(body, 0);
    for (const AsfMarker& marker : markers) {
        // The offset is into the data object's packets: the index names the packet that holds the time.
        std::uint64_t packet = 0;
        if (file.indexInterval && !file.indexPackets.empty()) {
            const std::uint64_t entry =
                std::min<std::uint64_t>(marker.time / file.indexInterval, file.indexPackets.size() - 1);
            packet = file.indexPackets[std::size_t(entry)];
        }
        const std::string name = marker.name.substr(0, 511);
        putLe64(body, packet * file.packetSize);
        // Presentation times of the file run after the preroll; its readers take the preroll off again.
        putLe64(body, marker.time + file.preroll * 10000);
        putLe16(body, std::uint16_t(12 + 2 * (name.size() + 1)));
        putLe32(body, 0);
        putLe32(body, 0);
        putLe32(body, std::uint32_t(name.size() + 1));
        putWide(body, name, true);
    }
    std::vector<std::uint8_t> object;
    putGuid(object, kMarker);
    putLe64(object, kObjectHead + body.size());
    putBytes(object, body);
    return object;
}

std::vector<std::uint8_t> scriptObject(const std::vector<AsfScriptCommand>& commands, std::uint64_t prerollMs)
{
    std::vector<std::uint8_t> body;
    putGuid(body, kScriptReserved);
    putLe16(body, std::uint16_t(commands.size()));
    putLe16(body, std::uint16_t(std::size(kScriptTypes)));
    for (const char* type : kScriptTypes) {
        putLe16(body, std::uint16_t(std::strlen(type) + 1));
        putWide(body, type, true);
    }
    for (const AsfScriptCommand& command : commands) {
        const auto type = std::find_if(std::begin(kScriptTypes), std::end(kScriptTypes),
                                       [&](const char* t) { return command.type == t; });
        const std::string parameter = command.parameter.substr(0, 511);
        putLe32(body, std::uint32_t(command.timeMs + prerollMs));
        putLe16(body, std::uint16_t(type == std::end(kScriptTypes) ? 0 : type - std::begin(kScriptTypes)));
        putLe16(body, std::uint16_t(parameter.size() + 1));
        putWide(body, parameter, true);
    }
    std::vector<std::uint8_t> object;
    putGuid(object, kScriptCommand);
    putLe64(object, kObjectHead + body.size());
    putBytes(object, body);
    return object;
}

// Replaces the first "MP43" in [from, to) by "QC10"; false when there is none.
bool patchCode(std::vector<std::uint8_t>& bytes, std::size_t from, std::size_t to)
{
    static constexpr std::uint8_t kOld[] = {'M', 'P', '4', '3'};
    const auto found = std::search(bytes.begin() + std::ptrdiff_t(from), bytes.begin() + std::ptrdiff_t(to),
                                   std::begin(kOld), std::end(kOld));
    if (found == bytes.begin() + std::ptrdiff_t(to))
        return false;
    std::memcpy(&*found, "QC10", 4);
    return true;
}

} // namespace

const char* const kScriptTypes[5] = {"URL", "FILENAME", "TEXT", "EVENT", "OPENEVENT"};

ExportCode editAsfHeader(const std::filesystem::path& from, const std::filesystem::path& to,
                         const AsfHeaderEdit& edit)
{
    ParsedFile file;
    std::string error;
    if (!parseFile(from, file, error))
        return kExportFailed;
    std::vector<std::uint8_t> objects;
    std::uint32_t count = 0;
    std::size_t fileProperties = SIZE_MAX;
    bool patched = false;
    for (const Object& object : file.objects) {
        const std::uint8_t* p = &file.header[object.at];
        // The muxer's own marker object is replaced, not mended.
        if (isGuid(p, kMarker) || isGuid(p, kScriptCommand))
            continue;
        std::vector<std::uint8_t> bytes(p, p + object.size);
        if (isGuid(p, kFileProperties))
            fileProperties = objects.size();
        if (edit.announceQc10 && isGuid(p, kStreamProperties) && object.size >= kTypeSpecificAt &&
            isGuid(p + kObjectHead, kVideoMedia)) {
            const std::size_t end = std::min<std::size_t>(object.size, kTypeSpecificAt + le32(p + 64));
            patched = patchCode(bytes, kTypeSpecificAt, end) || patched;
        }
        if (edit.announceQc10 && isGuid(p, kCodecList))
            while (patchCode(bytes, kObjectHead, bytes.size())) {
            }
        putBytes(objects, bytes);
        ++count;
    }
    if ((edit.announceQc10 && !patched) || fileProperties == SIZE_MAX)
        return kExportFailed;
    if (!edit.markers.empty()) {
        const auto marker = markerObject(edit.markers, file);
        putBytes(objects, marker);
        ++count;
    }
    if (!edit.commands.empty()) {
        const auto script = scriptObject(edit.commands, file.preroll);
        putBytes(objects, script);
        ++count;
    }
    std::vector<std::uint8_t> header(file.header.begin(), file.header.begin() + kHeaderHead);
    setLe64(&header[16], kHeaderHead + objects.size());
    setLe32(&header[24], count);
    putBytes(header, objects);
    const std::uint64_t rest = file.fileSize - file.header.size();
    setLe64(&header[kHeaderHead + fileProperties + 40], header.size() + rest);

    std::ifstream in(from, std::ios::binary);
    std::ofstream out(to, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(header.data()), std::streamsize(header.size()));
    in.seekg(std::streamoff(file.header.size()));
    std::vector<char> buffer(1 << 20);
    while (in && out) {
        in.read(buffer.data(), std::streamsize(buffer.size()));
        out.write(buffer.data(), in.gcount());
    }
    out.close();
    return out && in.eof() ? kExportOk : kExportFailed;
}

bool readAsfInfo(const std::filesystem::path& path, AsfFileInfo& info, std::string& error)
{
    ParsedFile file;
    if (!parseFile(path, file, error))
        return false;
    info = AsfFileInfo();
    info.declaredObjects = le32(&file.header[24]);
    info.actualObjects = std::uint32_t(file.objects.size());
    info.fileSize = file.fileSize;
    info.preroll = file.preroll;
    info.packetSize = file.packetSize;
    info.indexEntries = std::uint32_t(file.indexPackets.size());
    const auto damaged = [&error](const char* what) {
        error = std::string("the ") + what + " object is damaged";
        return false;
    };
    for (const Object& object : file.objects) {
        const std::uint8_t* p = &file.header[object.at];
        const std::uint8_t* end = p + object.size;
        if (isGuid(p, kFileProperties) && object.size >= 104) {
            info.declaredFileSize = le64(p + 40);
            info.dataPackets = le64(p + 56);
        } else if (isGuid(p, kStreamProperties)) {
            if (object.size < kTypeSpecificAt || le32(p + 64) > object.size - kTypeSpecificAt)
                return damaged("stream properties");
            AsfStreamInfo stream;
            stream.number = le16(p + 72) & 0x7F;
            stream.typeSpecificSize = le32(p + 64);
            stream.typeSpecific.assign(p + kTypeSpecificAt, p + kTypeSpecificAt + stream.typeSpecificSize);
            const auto& ts = stream.typeSpecific;
            if (isGuid(p + kObjectHead, kAudioMedia)) {
                stream.type = "audio";
                if (ts.size() >= 2)
                    stream.codec = std::to_string(le16(ts.data()));
            } else if (isGuid(p + kObjectHead, kVideoMedia)) {
                stream.type = "video";
                if (ts.size() >= 31)
                    stream.codec.assign(reinterpret_cast<const char*>(&ts[27]), 4);
            } else {
                stream.type = isGuid(p + kObjectHead, kCommandMedia) ? "command" : "other";
            }
            info.streams.push_back(std::move(stream));
        } else if (isGuid(p, kCodecList)) {
            const std::uint8_t* q = p + 44;
            if (object.size < 44)
                return damaged("codec list");
            for (std::uint32_t i = 0, n = le32(p + 40); i < n; ++i) {
                if (end - q < 4)
                    return damaged("codec list");
                const std::size_t nameChars = le16(q + 2);
                q += 4;
                if (std::size_t(end - q) < 2 * nameChars + 2)
                    return damaged("codec list");
                info.codecNames.push_back(narrow(q, nameChars));
                q += 2 * nameChars;
                const std::size_t descriptionChars = le16(q);
                q += 2;
                if (std::size_t(end - q) < 2 * descriptionChars + 2)
                    return damaged("codec list");
                q += 2 * descriptionChars;
                const std::size_t infoBytes = le16(q);
                q += 2;
                if (std::size_t(end - q) < infoBytes)
                    return damaged("codec list");
                info.codecInformation.emplace_back(q, q + infoBytes);
                q += infoBytes;
            }
        } else if (isGuid(p, kMarker)) {
            if (object.size < 48 || le16(p + 46) > object.size - 48)
                return damaged("marker");
            const std::uint8_t* q = p + 48 + le16(p + 46);
            for (std::uint32_t i = 0, n = le32(p + 40); i < n; ++i) {
                if (end - q < 30)
                    return damaged("marker");
                AsfMarker marker;
                const std::uint64_t offset = le64(q);
                const std::uint64_t time = le64(q + 8);
                marker.time = time >= file.preroll * 10000 ? time - file.preroll * 10000 : 0;
                const std::size_t chars = le32(q + 26);
                q += 30;
                if (std::size_t(end - q) < 2 * chars)
                    return damaged("marker");
                marker.name = narrow(q, chars);
                q += 2 * chars;
                info.markers.push_back(marker);
                info.markerOffsets.push_back(offset);
            }
        } else if (isGuid(p, kScriptCommand)) {
            if (object.size < 44)
                return damaged("script command");
            const std::uint8_t* q = p + 44;
            for (std::uint32_t i = 0, n = le16(p + 42); i < n; ++i) {
                if (end - q < 2 || std::size_t(end - q - 2) < 2 * std::size_t(le16(q)))
                    return damaged("script command");
                info.commandTypes.push_back(narrow(q + 2, le16(q)));
                q += 2 + 2 * std::size_t(le16(q));
            }
            for (std::uint32_t i = 0, n = le16(p + 40); i < n; ++i) {
                if (end - q < 8 || std::size_t(end - q - 8) < 2 * std::size_t(le16(q + 6)))
                    return damaged("script command");
                AsfScriptCommand command;
                const std::uint32_t time = le32(q);
                command.timeMs = time >= file.preroll ? std::uint32_t(time - file.preroll) : 0;
                const std::size_t type = le16(q + 4);
                command.type = type < info.commandTypes.size() ? info.commandTypes[type] : std::string();
                command.parameter = narrow(q + 8, le16(q + 6));
                q += 8 + 2 * std::size_t(le16(q + 6));
                info.commands.push_back(command);
            }
        }
    }
    return true;
}
