#include "records/QVLog.h"

#include "link/LinkErrors.h"
#include "link/PacketBuffer.h"
#include "link/QuvaneError.h"
#include "link/SensorControl.h"

using namespace quvane;

QString QVLog::FourDigitYearDate(const QString &sDate)
{
    const QString digits = sDate.mid(6, 2).trimmed();
    bool ok = !digits.isEmpty();
    const int year = ok ? digits.toInt(&ok) : 0;
    if (!ok)
        throw QuvaneError(ErrorNumber::TypeMismatch,
                          QStringLiteral("Type mismatch: the year of the date \"%1\" is not a "
                                         "number")
                              .arg(sDate));
    return sDate.left(6) + QString::number(year < 95 ? 2000 + year : 1900 + year);
}

QDateTime QVLog::taken() const
{
    // The instrument gives the seconds; a time without them is read too.
    QTime time = QTime::fromString(MeasurementTime, QStringLiteral("HH:mm:ss"));
    if (!time.isValid())
        time = QTime::fromString(MeasurementTime, QStringLiteral("HH:mm"));
    return QDateTime(QDate::fromString(MeasurementDate, QStringLiteral("MM/dd/yyyy")), time);
}

void QVLog::GetRecord(qint16 aRecordNumber)
{
    PacketBuffer packet;
    packet.PutText(QByteArrayView("K"));
    packet.PutInteger(aRecordNumber);
    const QByteArray command = packet.GetCommand();
    packet.SetReply(m_sensor->SendCommand(command));
    readReply(command, [&] { read(packet, command, aRecordNumber); });
    m_value.instrumentSerial = m_sensor->SerialNumber();
}

Measurement QVLog::measurement() const
{
    Measurement value = m_value;
    value.source = MeasurementSource::Capture;
    value.taken = taken();
    value.recordNumber = RecordNumber;
    value.setupNumber = SetupNumber;
    value.sampleId = ID;
    value.isStandard = IsStandard;
    value.displayMode = DisplayMode;
    value.illuminant = Illuminant;
    value.observer = Observer;
    value.colorScale = ColorScale;
    value.colorIndex = ColorIndex;
    if (PassFail >= 0)
        value.passFail = PassFail;
    return value;
}

void QVLog::read(PacketBuffer &packet, const QByteArray &command, qint16 aRecordNumber)
{
    RecordNumber = packet.GetInteger();
    expectEcho(command, "record", aRecordNumber + 1, RecordNumber);
    SetupNumber = static_cast<qint16>(packet.GetInteger() + 1);
    DisplayMode = packet.GetByte();
    Illuminant = packet.GetByte();
    Observer = packet.GetByte();
    ColorScale = packet.GetInteger();
    ColorIndex = packet.GetInteger();
    IsStandard = !packet.GetBoolean();
    packet.Skip(1);
    const qint16 passFail = packet.GetInteger();
    PassFail = passFail >= 0 ? 1 - passFail : passFail;
    packet.Skip(8);
    MeasurementDate = FourDigitYearDate(packet.GetString());
    MeasurementTime = packet.GetString();
    ID = packet.GetString();
    // Without a scale (an index) its values are skipped and read as 0.
    for (float &value : m_value.scaleData) {
        value = 0;
        if (ColorScale != 0)
            value = packet.GetSingle();
        else
            packet.Skip(8);
    }
    m_value.indexData = 0;
    if (ColorIndex != 0)
        m_value.indexData = packet.GetSingle();
    else
        packet.Skip(8);
    Spectral = packet.GetBoolean();
    readSpectrum(packet, m_value.spectrum);
    expectEnd(packet, command);
}
