#pragma once

#include <QByteArray>
#include <QString>

class InstrumentOperations;
class SensorControl;
class TransferProgress;

enum class TransferResult
{
    Completed,
    Cancelled, // stopped by Cancel; what was transferred before is kept
    Nothing,   // nothing to do: an empty datalog, a file that is not an archive, too many lines
    Failed     // stopped by an error, which was reported
};

// The four long operations: set-up archive and restore, datalog capture and file conversion.
// Each reports its progress and honours Cancel through TransferProgress. A link, packet or file
// error ends the operation cleanly: the files are closed, what was written is kept, the progress
// closes and one message says what failed and where. Nothing here ends the program.
class BulkTransfers
{
public:
    BulkTransfers(InstrumentOperations &operations, TransferProgress &progress);

    TransferResult UploadSetups(const QString &sFileName);
    TransferResult DownloadSetups(const QString &sFileName);
    TransferResult UploadDatalog(const QString &sFileName);
    TransferResult ConvertDatalog(const QString &sSource, const QString &sFileName);

    static constexpr int SetupCount = 100;
    static inline const QByteArray ArchiveHeader = QByteArrayLiteral("Quvane Product Setups");

private:
    // Sends a command; a timeout asks Retry or Cancel, and Cancel raises the timeout.
    QByteArray send(const QByteArray &command);
    TransferResult fail(const QString &what, const QString &description, const QString &kept);

    InstrumentOperations &m_operations;
    SensorControl &m_sensor;
    TransferProgress &m_progress;
};
