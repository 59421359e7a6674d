// SPDX-License-Identifier: GPL-3.0-or-later
// The report mail link's encoding, the program name in the box's caption and the widening rule.
#include "base/ErrorReport.h"
#include "base/UrlEncode.h"
#include "support/DataRows.h"
#include "ui/ErrBoxLayout.h"

class TestErrBoxCore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void urlEncode_data() {
        columns<QString, QString>("text", "encoded");
        row("percent, blank, ampersand", "50% off & more", "50%25%20off%20%26%20more");
        row("escape already in the text", "%20", "%2520");
        row("CR LF", "line one\r\nline two", "line%20one%0Aline%20two");
        row("lone CR, CR before CR LF, lone LF", "a\rb\r\r\nc\nd", "a%0Db%0D%0Ac\nd");
        row("table signs", "#*/?!", "%23%2A%2F%3F%21");
        row("signs below 123 stay", "Az09:=,.-_;@", "Az09:=,.-_;@");
        row("123 and up", "{|}~\x7f", "%7B%7C%7D%7E%7F");
        row("Latin-1", "Grüße\u00a0\u00ff", "Gr%FC%DFe%A0%FF");
        row("code page only, unassigned kept", "€\u201e\u2122\u0178\u0081", "%80%84%99%9F%81");
        row("outside the code page, one sign each", "a\u0080\u4e2d\U0001F600b", "a%3F%3F%3Fb");
    }
    void urlEncode() {
        FETCH((QString, QString), text, encoded);
        QCOMPARE(URLEncode(text), encoded);
    }

    void executableName_data() {
        columns<QString, QString>("path", "name");
        row("upper-case extension", "C:/V/VELMORA.EXE", "VELMORA");
        row("dots before the extension", "C:/V/velmora.1.4.exe", "velmora.1.4");
        row("dotted name without extension", "/opt/velmora-1.0", "velmora-1.0");
    }
    void executableName() {
        FETCH((QString, QString), path, name);
        QCOMPARE(::executableName(path), name);
    }

    void widening_data() {
        // Widths of the first line, the second line, Send and Cancel; the layout: width,
        // description width, Send left, Cancel left.
        columns<QList<int>, QString>("widths", "layout");
        row("exactly the design width", QList<int>{3015, 3015, 1440, 1440}, "design");
        row("one pixel over", QList<int>{3030, 0, 1440, 1440}, "4410 4290 705 2265");
        row("second line wider", QList<int>{500, 5000, 1440, 1440}, "6380 6260 1690 3250");
        row("buttons of two widths", QList<int>{6000, 10, 1200, 1800}, "7380 7260 2130 3450");
        row("odd remainder rounds down", QList<int>{3031, 0, 1440, 1440}, "4411 4291 705 2265");
    }
    void widening() {
        FETCH((QList<int>, QString), widths, layout);
        const ErrBoxWidening w = errBoxWidening(widths[0], widths[1], widths[2], widths[3]);
        const QString got = !w.widened && w == ErrBoxWidening{} ? "design"
                                                                : QStringLiteral("%1 %2 %3 %4")
                                                                      .arg(w.width)
                                                                      .arg(w.text1Width)
                                                                      .arg(w.cmdSendLeft)
                                                                      .arg(w.cmdCloseLeft);
        QCOMPARE(got, layout);
        QCOMPARE(w.widened, layout != "design");
    }
};

QTEST_GUILESS_MAIN(TestErrBoxCore)
#include "tst_errbox_core.moc"
