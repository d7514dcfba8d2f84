#include "PlayableHeader.h"

#include "OutputFile.h"

#include <algorithm>
#include <limits>

#include <QtEndian>

namespace {

QByteArray littleEndian32(quint32 value)
{
    QByteArray bytes(4, Qt::Uninitialized);
    qToLittleEndian(value, bytes.data());
    return bytes;
}

quint64 littleEndianAt(const QByteArray &bytes, qint64 offset, int size)
{
    quint64 value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | quint8(bytes.at(offset + i));
    return value;
}

// Where the samples of a RIFF WAVE file begin: just after the "data" chunk's size.
qint64 wavDataStart(const QByteArray &header)
{
    qint64 offset = 12;
    while (offset + 8 <= header.size()) {
        if (header.mid(offset, 4) == "data")
            return offset + 8;
        const qint64 size = qint64(littleEndianAt(header, offset + 4, 4));
        offset += 8 + size + (size & 1);
    }
    return 0;
}

// ASF objects start with a GUID and a 64-bit size; the file properties object holds the flags.
const QByteArray asfFilePropertiesGuid = QByteArray::fromHex("a1dcab8c47a9cf118ee400c00c205365");
constexpr qint64 asfHeaderChildrenStart = 30;
constexpr qint64 asfFlagsOffset = 88;
constexpr quint32 asfBroadcastFlag = 0x1;

constexpr qint64 headerBytesRead = 64 * 1024;

} // namespace

PlayableHeader::PlayableHeader(AudioFileKind kind)
    : m_kind(kind)
{
}

bool PlayableHeader::headerWritten(OutputFile &file)
{
    switch (m_kind) {
    case AudioFileKind::Wav:
        m_wavDataStart = wavDataStart(file.readAt(0, headerBytesRead));
        return m_wavDataStart > 0;
    case AudioFileKind::Wma:
        return markAsfBroadcast(file);
    case AudioFileKind::Mp3:
        break;
    }
    return true;
}

bool PlayableHeader::update(OutputFile &file) const
{
    if (m_kind != AudioFileKind::Wav || m_wavDataStart == 0)
        return true;
    const qint64 size = file.size();
    if (size < m_wavDataStart)
        return size >= 0;
    // Whole sample frames only, and no more than a RIFF size can say.
    constexpr qint64 frameBytes = 4;
    const qint64 limit = std::numeric_limits<quint32>::max() - m_wavDataStart;
    const qint64 dataBytes = std::min((size - m_wavDataStart) / frameBytes * frameBytes, limit / frameBytes * frameBytes);
    return file.writeAt(m_wavDataStart - 4, littleEndian32(quint32(dataBytes)))
           && file.writeAt(4, littleEndian32(quint32(m_wavDataStart - 8 + dataBytes)));
}

bool PlayableHeader::markAsfBroadcast(OutputFile &file) const
{
    const QByteArray header = file.readAt(0, headerBytesRead);
    qint64 offset = asfHeaderChildrenStart;
    while (offset + 24 <= header.size()) {
        const qint64 objectSize = qint64(littleEndianAt(header, offset + 16, 8));
        if (header.mid(offset, 16) == asfFilePropertiesGuid) {
            if (offset + asfFlagsOffset + 4 > header.size())
                return false;
            const quint32 flags = quint32(littleEndianAt(header, offset + asfFlagsOffset, 4));
            return file.writeAt(offset + asfFlagsOffset, littleEndian32(flags | asfBroadcastFlag));
        }
        if (objectSize < 24)
            return false;
        offset += objectSize;
    }
    return false;
}
