// SPDX-License-Identifier: GPL-3.0-or-later
// Standard texts of the run-time error numbers.
#include "base/RuntimeError.h"

QString RuntimeError::standardText(long number) {
    switch (number) {
    case ErrNr::InvalidProcedureCall:
        return QStringLiteral("Invalid procedure call or argument");
    case ErrNr::Overflow:
        return QStringLiteral("Overflow");
    case ErrNr::SubscriptOutOfRange:
        return QStringLiteral("Subscript out of range");
    case ErrNr::TypeMismatch:
        return QStringLiteral("Type mismatch");
    case ErrNr::DllLoad:
        return QStringLiteral("Error in loading DLL");
    case ErrNr::NoSuchMember:
        return QStringLiteral("Object doesn't support this property or method");
    case ErrNr::Internal:
        return QStringLiteral("Internal error");
    case ErrNr::FileNotFound:
        return QStringLiteral("File not found");
    case ErrNr::PermissionDenied:
        return QStringLiteral("Permission denied");
    case ErrNr::PathFileAccess:
        return QStringLiteral("Path/File access error");
    case ErrNr::ObjectRequired:
        return QStringLiteral("Object required");
    case ErrNr::ComInvalidPortNumber:
        return QStringLiteral("Invalid port number");
    case ErrNr::ComPortAlreadyOpen:
        return QStringLiteral("Port already open");
    case ErrNr::ComPortNotAvailable:
        return QStringLiteral("The device is not available");
    case ErrNr::ComPortNotOpen:
        return QStringLiteral("Port is not open");
    case ErrNr::ComSetStateFailed:
        return QStringLiteral("Could not set comm state");
    case ErrNr::ComWriteFailed:
        return QStringLiteral("Write to the port failed");
    default:
        return QStringLiteral("Application-defined or object-defined error");
    }
}

void RuntimeError::subscriptOutOfRange(QString source) {
    throw RuntimeError(ErrNr::SubscriptOutOfRange, standardText(ErrNr::SubscriptOutOfRange),
                       std::move(source));
}

void RuntimeError::fileAccess(const QString &fileName, const QString &reason) {
    throw RuntimeError(ErrNr::PathFileAccess,
                       standardText(ErrNr::PathFileAccess) + " (" + fileName + ": " + reason + ")");
}

FailureDescription describeCurrentFailure() {
    try {
        throw;
    } catch (const RuntimeError &e) {
        return {e.number(), e.description(), e.source()};
    } catch (const std::exception &e) {
        return {ErrNr::Internal, QString::fromUtf8(e.what()), QStringLiteral("Velmora")};
    } catch (...) {
        return {ErrNr::Internal, RuntimeError::standardText(ErrNr::Internal),
                QStringLiteral("Velmora")};
    }
}
