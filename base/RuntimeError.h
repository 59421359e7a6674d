// SPDX-License-Identifier: GPL-3.0-or-later
// The run-time failure that every guarded procedure catches and shows in the error box.
#pragma once

#include <QString>
#include <exception>

// What a caught failure says of itself, whatever was thrown.
struct FailureDescription {
    long number;
    QString description;
    QString source;
};
// Describes the exception being handled; call only inside a catch block.
FailureDescription describeCurrentFailure();

// Error numbers follow the classic run-time errors so that a report reads the same on every
// platform; the serial port adds its own numbers from 8000 up.
namespace ErrNr {
inline constexpr long InvalidProcedureCall = 5;
inline constexpr long Overflow = 6;
inline constexpr long SubscriptOutOfRange = 9;
inline constexpr long TypeMismatch = 13;
inline constexpr long DllLoad = 48;
inline constexpr long Internal = 51;
inline constexpr long FileNotFound = 53;
inline constexpr long PermissionDenied = 70;
inline constexpr long PathFileAccess = 75;
inline constexpr long ObjectRequired = 424;
inline constexpr long NoSuchMember = 438;
inline constexpr long ComInvalidPortNumber = 8002;
inline constexpr long ComPortAlreadyOpen = 8005;
inline constexpr long ComPortNotAvailable = 8010;
inline constexpr long ComPortNotOpen = 8012;
inline constexpr long ComSetStateFailed = 8015;
inline constexpr long ComWriteFailed = 8020;
} // namespace ErrNr

class RuntimeError : public std::exception {
public:
    RuntimeError(long number, QString description, QString source = QStringLiteral("Velmora"))
        : m_number(number), m_description(std::move(description)), m_source(std::move(source)),
          m_what(m_description.toUtf8()) {}

    long number() const { return m_number; }
    const QString &description() const { return m_description; }
    const QString &source() const { return m_source; }
    const char *what() const noexcept override { return m_what.constData(); }

    // The standard texts of the numbers above, for places that only know a number.
    static QString standardText(long number);
    // Error 9: an index into a control array or a table that names no element.
    [[noreturn]] static void subscriptOutOfRange(QString source = QStringLiteral("Velmora"));
    // Error 75 for a file that cannot be opened, written or removed, naming the file and why.
    [[noreturn]] static void fileAccess(const QString &fileName, const QString &reason);

private:
    long m_number;
    QString m_description;
    QString m_source;
    QByteArray m_what;
};
