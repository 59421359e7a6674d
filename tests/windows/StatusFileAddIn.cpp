// SPDX-License-Identifier: GPL-3.0-or-later
// An add-in of the Windows tests: writes every new pair of status lines to the file named by
// VELMORA_STATUS_FILE, so that a script outside wine can read what the window shows. Built like
// any add-in, with the add-in headers and Qt Core only.
#include <velmora/AddInHost.h>
#include <velmora/AddInLoader.h>

#include <QFile>
#include <QObject>
#include <QTimer>

class StatusFileAddIn : public QObject, public AddInLoader {
    Q_OBJECT
    Q_INTERFACES(AddInLoader)
public:
    void Name(QString &stName) override { stName = QStringLiteral("Status file"); }
    void Version(QString &stVersion) override { stVersion = QStringLiteral("1.0"); }
    void Copyright(QString &stCopyright) override {
        stCopyright = QStringLiteral("Copyright (C) The Velmora developers");
    }
    void Load(QObject *&oAddin) override {
        m_host = Velmora::Host(oAddin);
        m_file.setFileName(qEnvironmentVariable("VELMORA_STATUS_FILE"));
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) return;
        write(QStringLiteral("loaded ") + m_host.Version());
        // The lines change after the program has taken a report in: look a little later.
        connect(&m_poll, &QTimer::timeout, this, &StatusFileAddIn::checkLines);
        m_poll.start(200);
    }

private Q_SLOTS:
    void checkLines() {
        QString line1, line2;
        m_host.GetText(line1, line2);
        const QString lines = line1 + QStringLiteral(" | ") + line2;
        if (lines == m_lines) return;
        m_lines = lines;
        write(QStringLiteral("lines ") + lines);
    }

private:
    void write(const QString &line) {
        m_file.write((line + QLatin1Char('\n')).toUtf8());
        m_file.flush();
    }
    Velmora::Host m_host;
    QFile m_file;
    QTimer m_poll;
    QString m_lines;
};

class StatusFileLibrary : public QObject, public AddInLibrary {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID AddInLibrary_iid FILE "StatusFile.json")
    Q_INTERFACES(AddInLibrary)
public:
    QObject *createObject(const QString &className) override {
        if (className == QLatin1String("StatusFileAddIn")) return new StatusFileAddIn;
        return nullptr;
    }
};

#include "StatusFileAddIn.moc"
