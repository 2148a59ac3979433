#pragma once

namespace quvane {

// The items of the menus' item arrays, by index; the missing indexes are separators.
enum FileItem
{
    FileNew = 0,
    FileOpen = 1,
    FileStopLogging = 2,
    FilePreferences = 4,
    FileExit = 6
};
enum SensorItem
{
    SensorArchive = 0,
    SensorRestore = 1,
    SensorIdentification = 3,
    SensorClock = 4,
    SensorCaptureScreen = 6
};
enum MeasureItem
{
    MeasureStandardize = 0,
    MeasureSample = 1,
    MeasureClear = 2,
    MeasureLogSample = 4,
    MeasureSampleId = 6
};
enum DatalogItem
{
    DatalogCapture = 0,
    DatalogConvert = 1,
    DatalogClear = 2
};
enum HelpItem
{
    HelpAbout = 0
};

} // namespace quvane
