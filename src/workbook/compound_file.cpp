#include "workbook/compound_file.h"

#include <QtEndian>

namespace workbook {

namespace {

constexpr quint32 kFreeSector = 0xFFFFFFFF;
constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint32 kFatSector = 0xFFFFFFFD;
constexpr quint32 kDifatSector = 0xFFFFFFFC;
constexpr quint32 kNoStream = 0xFFFFFFFF;
constexpr quint32 kMaxRegularSector = 0xFFFFFFFA;
constexpr quint32 kHeaderDifatEntries = 109;
constexpr int kDirectoryEntrySize = 128;
constexpr int kMiniSectorSize = 64;
constexpr quint32 kMiniStreamCutoff = 4096;
constexpr int kStreamEntry = 2;
constexpr int kRootEntry = 5;
const char kSignature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";

quint16 u16(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint16>(b.constData() + at);
}
quint32 u32(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint32>(b.constData() + at);
}
quint64 u64(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint64>(b.constData() + at);
}

void put16(QByteArray& b, qsizetype at, quint16 v) {
    qToLittleEndian(v, b.data() + at);
}
void put32(QByteArray& b, qsizetype at, quint32 v) {
    qToLittleEndian(v, b.data() + at);
}

QByteArray directoryEntry(const QString& name, int type, quint32 child, quint32 start, quint32 size) {
    QByteArray e(kDirectoryEntrySize, '\0');
    for (qsizetype i = 0; i < name.size(); ++i)
        put16(e, i * 2, name[i].unicode());
    put16(e, 64, quint16((name.size() + 1) * 2));
    e[66] = char(type);
    e[67] = 1; // black in the (one-node) red-black tree
    put32(e, 68, kNoStream);
    put32(e, 72, kNoStream);
    put32(e, 76, child);
    put32(e, 116, start);
    put32(e, 120, size);
    return e;
}

QByteArray unusedDirectoryEntry() {
    QByteArray e(kDirectoryEntrySize, '\0');
    put32(e, 68, kNoStream);
    put32(e, 72, kNoStream);
    put32(e, 76, kNoStream);
    return e;
}

} // namespace

QByteArray writeCompoundFile(const QString& name, QByteArray stream) {
    constexpr int sector = 512;
    constexpr quint32 perFatSector = sector / 4;
    constexpr quint32 perDifatSector = perFatSector - 1; // the last entry links the next one
    if (stream.size() < qsizetype(kMiniStreamCutoff))
        stream.append(QByteArray(kMiniStreamCutoff - stream.size(), '\0'));
    const quint32 streamSectors = quint32((stream.size() + sector - 1) / sector);
    // Layout: the stream, the directory, the FAT, and beyond 109 FAT sectors the DIFAT sectors
    // that list the rest of them.
    quint32 fatSectors = 1, difatSectors = 0;
    for (;; ++fatSectors) {
        difatSectors = fatSectors > kHeaderDifatEntries
                           ? (fatSectors - kHeaderDifatEntries + perDifatSector - 1) / perDifatSector
                           : 0;
        if (fatSectors * perFatSector >= streamSectors + 1 + fatSectors + difatSectors)
            break;
    }
    const quint32 directorySector = streamSectors;
    const quint32 firstFatSector = directorySector + 1;
    const quint32 firstDifatSector = firstFatSector + fatSectors;

    QByteArray header(sector, '\0');
    header.replace(0, 8, QByteArray(kSignature, 8));
    put16(header, 24, 0x003E); // minor version
    put16(header, 26, 0x0003); // major version 3: 512-byte sectors
    put16(header, 28, 0xFFFE); // little-endian
    put16(header, 30, 9);      // sector size 2^9
    put16(header, 32, 6);      // mini sector size 2^6
    put32(header, 44, fatSectors);
    put32(header, 48, directorySector);
    put32(header, 56, kMiniStreamCutoff);
    put32(header, 60, kEndOfChain); // no mini FAT
    put32(header, 68, difatSectors ? firstDifatSector : kEndOfChain);
    put32(header, 72, difatSectors);
    for (quint32 i = 0; i < quint32(kHeaderDifatEntries); ++i)
        put32(header, 76 + i * 4, i < fatSectors ? firstFatSector + i : kFreeSector);

    QByteArray difat(qsizetype(difatSectors) * sector, '\xFF');
    for (quint32 i = kHeaderDifatEntries; i < fatSectors; ++i) {
        const quint32 k = i - kHeaderDifatEntries;
        put32(difat, (k / perDifatSector) * sector + (k % perDifatSector) * 4, firstFatSector + i);
    }
    for (quint32 d = 0; d < difatSectors; ++d)
        put32(difat, d * sector + perDifatSector * 4,
              d + 1 < difatSectors ? firstDifatSector + d + 1 : kEndOfChain);

    QByteArray fat(qsizetype(fatSectors) * sector, '\xFF');
    for (quint32 i = 0; i < streamSectors; ++i)
        put32(fat, i * 4, i + 1 < streamSectors ? i + 1 : kEndOfChain);
    put32(fat, directorySector * 4, kEndOfChain);
    for (quint32 i = 0; i < fatSectors; ++i)
        put32(fat, (firstFatSector + i) * 4, kFatSector);
    for (quint32 d = 0; d < difatSectors; ++d)
        put32(fat, (firstDifatSector + d) * 4, kDifatSector);

    QByteArray directory = directoryEntry(QStringLiteral("Root Entry"), kRootEntry, 1, kEndOfChain, 0) +
                           directoryEntry(name, kStreamEntry, kNoStream, 0, quint32(stream.size())) +
                           unusedDirectoryEntry() + unusedDirectoryEntry();

    stream.append(QByteArray(qsizetype(streamSectors) * sector - stream.size(), '\0'));
    return header + stream + directory + fat + difat;
}

CompoundFileReader::CompoundFileReader(const QByteArray& file) : file_(file) {
    valid_ = parse();
}

bool CompoundFileReader::parse() {
    if (file_.size() < 512 || !file_.startsWith(QByteArray(kSignature, 8)) || u16(file_, 28) != 0xFFFE)
        return false;
    const int shift = u16(file_, 30);
    if ((shift != 9 && shift != 12) || u16(file_, 32) != 6 || u32(file_, 56) != kMiniStreamCutoff)
        return false;
    sectorSize_ = 1 << shift;
    if (file_.size() < sectorSize_)
        return false;
    sectorCount_ = quint32((file_.size() - sectorSize_) / sectorSize_);
    miniFatStart_ = u32(file_, 60);
    miniFatSectors_ = u32(file_, 64);
    if (!readFat())
        return false;

    const std::optional<QByteArray> directory =
        readChain(fat_, u32(file_, 48), std::nullopt, file_, sectorSize_, sectorSize_);
    if (!directory)
        return false;
    for (qsizetype at = 0; at + kDirectoryEntrySize <= directory->size(); at += kDirectoryEntrySize) {
        Entry e;
        const int nameBytes = u16(*directory, at + 64);
        if (nameBytes > 64 || nameBytes % 2 != 0)
            return false;
        for (int i = 0; i + 2 < nameBytes; i += 2)
            e.name.append(QChar(u16(*directory, at + i)));
        e.type = quint8((*directory)[at + 66]);
        e.start = u32(*directory, at + 116);
        e.size = shift == 9 ? u32(*directory, at + 120) : u64(*directory, at + 120);
        entries_.push_back(e);
    }
    return !entries_.isEmpty() && entries_.front().type == kRootEntry;
}

bool CompoundFileReader::readFat() {
    const quint32 fatSectors = u32(file_, 44);
    if (fatSectors == 0 || fatSectors > sectorCount_)
        return false;
    QVector<quint32> fatSectorList;
    for (quint32 i = 0; i < kHeaderDifatEntries && quint32(fatSectorList.size()) < fatSectors; ++i)
        fatSectorList.push_back(u32(file_, 76 + i * 4));
    quint32 difat = u32(file_, 68);
    const int perDifat = sectorSize_ / 4 - 1;
    for (quint32 steps = 0; quint32(fatSectorList.size()) < fatSectors; ++steps) {
        if (difat >= sectorCount_ || steps > sectorCount_)
            return false;
        const qsizetype at = qsizetype(difat + 1) * sectorSize_;
        for (int i = 0; i < perDifat && quint32(fatSectorList.size()) < fatSectors; ++i)
            fatSectorList.push_back(u32(file_, at + i * 4));
        difat = u32(file_, at + perDifat * 4);
    }
    fat_.reserve(qsizetype(fatSectors) * (sectorSize_ / 4));
    for (const quint32 s : fatSectorList) {
        if (s >= sectorCount_)
            return false;
        const qsizetype at = qsizetype(s + 1) * sectorSize_;
        for (int i = 0; i < sectorSize_ / 4; ++i)
            fat_.push_back(u32(file_, at + i * 4));
    }
    return true;
}

std::optional<QByteArray> CompoundFileReader::readChain(const QVector<quint32>& fat, quint32 start,
                                                        std::optional<quint64> size, const QByteArray& source,
                                                        int sectorSize, qint64 sourceOffset) const {
    const quint64 available = quint64(source.size() - sourceOffset) / quint64(sectorSize);
    if (size && *size > quint64(source.size()))
        return std::nullopt;
    QByteArray out;
    quint32 s = start;
    for (quint64 steps = 0; s != kEndOfChain && (!size || quint64(out.size()) < *size); ++steps) {
        if (s > kMaxRegularSector || s >= quint64(fat.size()) || s >= available || steps > available)
            return std::nullopt;
        out.append(source.constData() + sourceOffset + qint64(s) * sectorSize, sectorSize);
        s = fat[s];
    }
    if (size && quint64(out.size()) < *size)
        return std::nullopt;
    if (size)
        out.truncate(qsizetype(*size));
    return out;
}

int CompoundFileReader::findEntry(const QString& name) const {
    for (qsizetype i = 0; i < entries_.size(); ++i) {
        if (entries_[i].type == kStreamEntry && entries_[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

std::optional<QByteArray> CompoundFileReader::stream(const QString& name) const {
    const int index = valid_ ? findEntry(name) : -1;
    if (index < 0)
        return std::nullopt;
    const Entry& e = entries_[index];
    if (e.size >= kMiniStreamCutoff)
        return readChain(fat_, e.start, e.size, file_, sectorSize_, sectorSize_);
    const Entry& root = entries_.front();
    const std::optional<QByteArray> miniStream =
        readChain(fat_, root.start, root.size, file_, sectorSize_, sectorSize_);
    const std::optional<QByteArray> miniFatBytes = readChain(
        fat_, miniFatStart_, quint64(miniFatSectors_) * sectorSize_, file_, sectorSize_, sectorSize_);
    if (!miniStream || !miniFatBytes)
        return std::nullopt;
    QVector<quint32> miniFat;
    for (qsizetype at = 0; at + 4 <= miniFatBytes->size(); at += 4)
        miniFat.push_back(u32(*miniFatBytes, at));
    return readChain(miniFat, e.start, e.size, *miniStream, kMiniSectorSize, 0);
}

} // namespace workbook
