#pragma once
// The program's string table. Every text the program builds at run time
// (messages, generated captions and hints, status texts, column headers) is
// looked up here by a stable number, so a language file can replace it by
// number without touching the caller. Never renumber an entry: language files
// already made refer to these numbers. Add new entries at the end of a range.

#include <QString>
#include <functional>
#include <optional>

namespace Str {
enum Id : int {
    // Application shell: 100..199
    AppTitle = 100,              // "VARNEK v1.6a"
    CaptionPrefix = 101,         // window caption before the call sign
    CaptionWarning = 102,        // "Warning"
    CaptionError = 103,          // "Error"
    CaptionConfirm = 104,        // "Confirm"
    CaptionInformation = 105,    // "Information"
    ErrorReadingRegistry = 110,  // "Error reading the registry !"
    ErrorWritingRegistry = 111,  // "Error writing in the registry !"
    ErrorSelectingComPort = 112, // "Error selecting COM port"
    ExitQuestion = 113,          // "Do you want to exit VARNEK ?"
    LibraryVersion = 114,        // "Pskmodem version "
    ReplayHintPrefix = 115,      // "Replay "
    ReplayHintSuffix = 116,      // " seconds"
    TrayHint = 117,              // tray icon's hint, two lines
    MakerNotice = 118,           // message panel's resting text
    MakerWebAddress = 119,       // link panel's text
    LibraryCredit = 120,         // credit line shown in the information panel
    WhatsThis = 121,             // "What's this ?"
    HelpFileMissing = 122,       // "The help file varnek.qch cannot be opened."
    CannotStartProgram = 123,    // "Cannot start \"%s\"" (a mixer command)

    // Status bar and indicators: 200..299
    ProgramIdle = 200,            // "Program is idle"
    ReceivingNow = 201,           // "Receiving now..."
    NoReception = 202,            // "No reception"
    Transmitting = 203,           // "Transmitting..."
    NoTransmission = 204,         // "No transmission"
    SoundcardIdle = 205,          // "Soundcard idle"
    SoundcardActive = 206,        // "Soundcard is active"
    SoundcardInactive = 207,      // "Soundcard is inactive"
    ComPortPrefix = 208,          // "COM "
    ComPortOpen = 209,            // " is open"
    ComPortClosed = 210,          // " is closed"
    SignalOverload = 211,         // "Signal overload ! Decrease soundcard input level"
    SoundcardNotActiveError = 212,// "Error ! Soundcard is not active..."
    NoiseLevelPrefix = 213,       // "Noise level "
    DecibelSuffix = 214,          // "dB"
    ImdPrefix = 215,              // "IMD "
    PpmSuffix = 216,              // " ppm"
    HertzSuffix = 217,            // "Hz"
    UtcSuffix = 218,              // " UTC"
    UnknownErrorCode = 219,       // "Unknown error: code "

    // Modem control: 300..399
    ConnectHint = 300,            // "Connect/activate soundcard"
    DisconnectHint = 301,         // "Disconnect soundcard"
    TransmissionStarted = 302,    // "Transmission started..."
    TransmissionStopped = 303,    // "Transmission stopped..."
    ToggleToTransmitHint = 304,   // "Toggle to transmit mode"
    TransmitHint = 305,           // "Transmit"
    StopTransmissionHint = 306,   // "Stop transmission"
    SendTuneHint = 307,           // "Send a tune"
    StopTuningHint = 308,         // "Stop tuning"
    ActiveTrackCaption = 309,     // "Active track"
    SquelchThresholdPrefix = 310, // "Squelsh threshold : "

    // Tracks, transmit and tuning: 500..599
    TrackHintPrefix = 500,        // "Track #"
    TrackHintDrag = 501,          // "- Drag me to change frequency"
    TrackHintDelete = 502,        // "Right click to delete me"
    ActivateSoundcardFirst = 503, // "Activate the soundcard before creating a new track !"
    DeleteTrackQuestion = 504,    // "Delete track"
    QuestionSuffix = 505,         // " ?"
    DeletingTrack = 506,          // "Deleting track"
    PleaseWait = 507,             // ". Please wait..."
    ClearAllTracksQuestion = 508, // "Clear all tracks ?"
    SendTextFileTitle = 509,      // "Send a text file ?"
    TextFilesFilter = 510,        // "Text files (*.txt)"
    TextFileUnreadable = 511,     // "The text file cannot be read: "

    // QSO log: 600..699
    FieldHisCallsignEmpty = 600,  // "Field \"His Callsign\" is empty !"
    FieldHisReportEmpty = 601,    // "Field \"His Report\" is empty !"
    FieldDateEmpty = 602,         // "Field \"Date\" is empty !"
    FieldHourEmpty = 603,         // "Field \"Hour\" is empty !"
    FieldCallSignEmpty = 604,     // "Field \"CallSign\" is empty !"
    FieldUtcHourEmpty = 605,      // "Field \"UTC Hour\" is empty !"
    FieldFrequencyEmpty = 606,    // "Field \"Frequency\" is empty !"
    FieldModeEmpty = 607,         // "Field \"Mode\" is empty !"
    FieldReportReceivedEmpty = 608, // "Field \"Report received\" is empty !"
    FieldReportGivenEmpty = 609,  // "Field \"Report given\" is empty !"
    AdifDialogInformation = 610,  // what the ADIF dialog does, five lines
    YourLogAsFor = 611,           // "Your log as for "
    LogEndReached = 612,          // "The log's end has been reached !"
    CaptionEndOfFile = 613,       // "End of file"
    NotValidInteger = 614,        // "'%s' is not a valid integer value"
    FileNotFound = 615,           // "File not found"
    FindCallsignPrompt = 616,     // "Enter callsign here..."
    LogColumnHeader = 620,        // 620..629: "#", "CALLSIGN", ... "INFO"

    // Settings dialog: 800..899
    SetupCaption = 800,           // "Program setup"
    BandTooNarrow = 801,          // "To avoid problems, bandwidth cannot be less than 400Hz\r\n..."
    ComDeviceSeparator = 802,     // ": " between a COM port and its device
    ComDeviceNotFound = 803,      // " (not found)"
    ComDeviceNotSerial = 804,     // " (not a serial port)"
    SoundInputPrefix = 805,       // "Input: "
    SoundOutputPrefix = 806,      // "Output: "
    SoundNoDevice = 807,          // "none"
    FontColorButton = 808,        // "Color..." in the font chooser

    // Macros: 700..799
    CallsignMissingCaption = 700, // "Callsign is missing"
    EnterStationCallsign = 701,   // "Enter station callsign"
    ReportMissingCaption = 702,   // "Report (RST) is missing"
    EnterStationReport = 703,     // "Enter station report"
    GoodMorning = 704,            // "Good morning"
    GoodAfternoon = 705,          // "Good afternoon"
    GoodEvening = 706,            // "Good evening"
    EndOfQso = 707,               // "End of QSO: "
    MacroNeedsName = 710,         // "A macro must have a name !"
    MacroExists = 711,            // "This macro already exists !"
    ModifyIt = 712,               // "Modify it ?"
    MacroMaximum = 713,           // "Maximum number of macros is 40. Sorry..."
    ForgotHint = 714,             // "You forgot the hint !"
    ForgotText = 715,             // "You forgot the text !"
    DeleteMacroQuestion = 716,    // "Delete this macro ?"

    // Update notice, About, help: 900..999
    AboutCaption = 900,               // "About VARNEK v1.6a"
    AboutCredits = 901,               // the About box's credits paragraph
    MemoryInstalled = 902,            // "MEMORY INSTALLED ON THIS COMPUTER :"
    KilobyteSuffix = 903,             // " Kb"
    AboutWebAddress = 904,            // the web address shown in the About box
    SysInfoComputerUser = 910,        // "COMPUTER & USER"
    SysInfoDomainName = 911,          // "- Domain name "
    SysInfoComputerName = 912,        // "- Local Computer name "
    SysInfoUserName = 913,            // "- Local User Name "
    SysInfoCompany = 914,             // "- Registered Company "
    SysInfoOwner = 915,               // "- Registered Owner "
    SysInfoComment = 916,             // "- Comment "
    SysInfoCpu = 917,                 // "COMPUTER PROCESSING UNIT (CPU)"
    SysInfoCpuName = 918,             // "- Name "
    SysInfoCpuVendor = 919,           // "- Manufacturer "
    SysInfoCpuFrequency = 920,        // "- Frequency "
    SysInfoOs = 921,                  // "OPERATING SYSTEM (OS)"
    SysInfoProductName = 922,         // "- Product Name "
    SysInfoProductId = 923,           // "- Product ID "
    SysInfoVersionBuild = 924,        // "- Version Build "
    SysInfoServicePack = 925,         // "- Service Pack Version "
    SysInfoMemory = 926,              // "MEMORY"
    SysInfoFreePageFile = 927,        // "- Free Page File Memory "
    SysInfoFreePhysical = 928,        // "- Free Physical Memory "
    SysInfoFreeVirtual = 929,         // "- Free Virtual Memory "
    SysInfoTotalPageFile = 930,       // "- Total Page File Memory "
    SysInfoTotalPhysical = 931,       // "- Total Physical Memory "
    SysInfoTotalVirtual = 932,        // "- Total Virtual Memory "
    LookingForInformation = 940,      // "Looking for informations on the Internet"
    NoNewInformation = 941,           // "No new information on the Internet"
    NewInformationStatus = 942,       // "New informations about Q9ZZV programs"
    NewInformationQuestion = 943,     // "New informations about Q9ZZV programs are available ..."
    CaptionInternetInformation = 944, // "Informations from the Internet"
    UpdateBalloonTitle = 945,         // balloon title while the news are fetched
    UpdateBalloonText = 946,          // balloon text while the news are fetched
    FileDoesNotExist = 947,           // " does not exist"
    HelpWindowCaption = 960,          // "VARNEK Help"
    HelpContentsTab = 961,            // "Contents"
    HelpIndexTab = 962,               // "Index"
    HelpSearchTab = 963,              // "Search"
    HelpCollectionMissing = 964,      // the help collection cannot be opened
    HelpTopicMissing = 965,           // no topic for a help keyword

    // Language files and splash: 1100..1199
    ListIndexOutOfBounds = 1100,  // "List index out of bounds (%d)"
    SplashVersion = 1101,         // "Version 1.6a (Spring 2006) "

    // Modem status texts: 1000 + status code (0..43)
    ModemStatusBase = 1000,
};
} // namespace Str

// The built-in English text of an entry (empty when the number is unknown).
QString builtinString(int id);

// Looks a text up: the open language file first, then the built-in table.
QString LcfLoadString(int id);

// A language file installs its lookup here; it answers nullopt for texts it
// does not translate. Pass an empty function to remove it.
void setLanguageLookup(std::function<std::optional<QString>(int)> lookup);
