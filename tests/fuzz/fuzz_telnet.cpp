// SPDX-License-Identifier: GPL-3.0-or-later
// Reading an RFC 2217 bridge's stream: the input after its first byte is fed in pieces of the
// length that byte gives, and a byte at a time; both must read as the whole stream at once.
#include "link/Telnet.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    const qsizetype piece = 1 + data[0] % 16;
    const QByteArray stream(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    Telnet::Reader whole, pieces, bytes;
    QByteArray wholeAnswer, piecesAnswer, bytesAnswer, piecesData, bytesData;
    const QByteArray wholeData = whole.take(stream, wholeAnswer);
    for (qsizetype at = 0; at < stream.size(); at += piece)
        piecesData += pieces.take(stream.mid(at, piece), piecesAnswer);
    for (const char c : stream)
        bytesData += bytes.take(QByteArray(1, c), bytesAnswer);
    const auto same = [&](const Telnet::Reader &r, const QByteArray &d, const QByteArray &a) {
        return d == wholeData && a == wholeAnswer && r.farPort() == whole.farPort();
    };
    if (wholeData.size() > stream.size() || wholeAnswer.size() > stream.size() ||
        !same(pieces, piecesData, piecesAnswer) || !same(bytes, bytesData, bytesAnswer))
        std::abort();
    // The data read, escaped again, reads back as itself with nothing to answer.
    QByteArray none;
    if (Telnet::Reader().take(Telnet::escape(wholeData), none) != wholeData || !none.isEmpty())
        std::abort();
    return 0;
}
