// SPDX-License-Identifier: GPL-3.0-or-later
// Frame recognition on the receiver's serial input.
#include "sim/LineDecoder.h"

namespace Sim {

QList<LineFrame> LineDecoder::feed(const QByteArray &bytes) {
    QList<LineFrame> frames;
    for (const char b : bytes) {
        if (b == Byte::STX || b == Byte::DC1 || b == Byte::DC3) {
            if (m_opener) m_discarded += 1 + m_body.size();
            m_opener = b;
            m_body.clear();
            continue;
        }
        if (!m_opener) {
            ++m_discarded;
            continue;
        }
        if (b == Byte::ETX) {
            const auto kind = m_opener == Byte::STX   ? LineFrame::Kind::Command
                              : m_opener == Byte::DC1 ? LineFrame::Kind::ConfigurationRequest
                                                      : LineFrame::Kind::InterfaceReset;
            frames.append({kind, m_body});
            m_opener = 0;
            m_body.clear();
            continue;
        }
        m_body.append(b);
        if (m_body.size() > kMaxBody) {
            m_discarded += 1 + m_body.size();
            m_opener = 0;
            m_body.clear();
        }
    }
    return frames;
}

void LineDecoder::clear() {
    m_opener = 0;
    m_body.clear();
}

qsizetype LineDecoder::takeDiscarded() {
    const qsizetype n = m_discarded;
    m_discarded = 0;
    return n;
}

} // namespace Sim
