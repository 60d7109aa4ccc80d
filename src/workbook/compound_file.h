#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

#include <optional>

// The compound-file container that holds the streams of an Excel 97-2003 workbook.
namespace workbook {

// A container with 512-byte sectors holding the one stream `name`. The stream is padded to
// 4096 bytes so that it never lives in the mini stream, which keeps the container simple;
// readers take the bytes after a workbook's last record as padding.
QByteArray writeCompoundFile(const QString& name, QByteArray stream);

// Reads the streams of a container, checking every sector chain against the file, so that a
// damaged or hostile file gives no stream rather than a crash or an endless loop.
class CompoundFileReader {
public:
    explicit CompoundFileReader(const QByteArray& file);

    bool isValid() const { return valid_; }
    bool hasStream(const QString& name) const { return findEntry(name) >= 0; }
    // The stream's bytes; nullopt when it is missing or its chain is damaged.
    std::optional<QByteArray> stream(const QString& name) const;

private:
    struct Entry {
        QString name;
        int type = 0;
        quint32 start = 0;
        quint64 size = 0;
    };

    bool parse();
    bool readFat();
    // The sectors of one chain; the whole chain when no size is given.
    std::optional<QByteArray> readChain(const QVector<quint32>& fat, quint32 start,
                                        std::optional<quint64> size, const QByteArray& source, int sectorSize,
                                        qint64 sourceOffset) const;
    int findEntry(const QString& name) const;

    QByteArray file_;
    bool valid_ = false;
    int sectorSize_ = 512;
    quint32 sectorCount_ = 0;
    quint32 miniFatStart_ = 0;
    quint32 miniFatSectors_ = 0;
    QVector<quint32> fat_;
    QVector<Entry> entries_;
};

} // namespace workbook
