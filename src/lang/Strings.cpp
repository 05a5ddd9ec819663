#include "Strings.h"

#include <QHash>

namespace {

const QHash<int, QString> &table() {
    static const QHash<int, QString> t = {
        {Str::AppTitle, QStringLiteral("VARNEK v1.6a")},
        {Str::CaptionPrefix, QStringLiteral("VARNEK v1.6a - ")},
        {Str::CaptionWarning, QStringLiteral("Warning")},
        {Str::CaptionError, QStringLiteral("Error")},
        {Str::CaptionConfirm, QStringLiteral("Confirm")},
        {Str::CaptionInformation, QStringLiteral("Information")},
        {Str::ErrorReadingRegistry, QStringLiteral("Error reading the registry !")},
        {Str::ErrorWritingRegistry, QStringLiteral("Error writing in the registry !")},
        {Str::ErrorSelectingComPort, QStringLiteral("Error selecting COM port")},
        {Str::ExitQuestion, QStringLiteral("Do you want to exit VARNEK ?")},
        {Str::LibraryVersion, QStringLiteral("Pskmodem version ")},
        {Str::ReplayHintPrefix, QStringLiteral("Replay ")},
        {Str::ReplayHintSuffix, QStringLiteral(" seconds")},
        {Str::TrayHint, QStringLiteral("VARNEK v1.6a is a PSK31 program \nwritten by the VARNEK team")},
        {Str::MakerNotice, QStringLiteral("VARNEK - PSK31 keyboard-to-keyboard terminal")},
        {Str::MakerWebAddress, QStringLiteral("www.q9zzv-software.example")},
        {Str::LibraryCredit, QStringLiteral("pskmodem PSK31 engine by the VARNEK team  ")},
        {Str::WhatsThis, QStringLiteral("What's this ?")},
        {Str::HelpFileMissing, QStringLiteral("The help file varnek.qch cannot be opened.")},
        {Str::CannotStartProgram, QStringLiteral("Cannot start \"%s\"")},

        {Str::ProgramIdle, QStringLiteral("Program is idle")},
        {Str::ReceivingNow, QStringLiteral("Receiving now...")},
        {Str::NoReception, QStringLiteral("No reception")},
        {Str::Transmitting, QStringLiteral("Transmitting...")},
        {Str::NoTransmission, QStringLiteral("No transmission")},
        {Str::SoundcardIdle, QStringLiteral("Soundcard idle")},
        {Str::SoundcardActive, QStringLiteral("Soundcard is active")},
        {Str::SoundcardInactive, QStringLiteral("Soundcard is inactive")},
        {Str::ComPortPrefix, QStringLiteral("COM ")},
        {Str::ComPortOpen, QStringLiteral(" is open")},
        {Str::ComPortClosed, QStringLiteral(" is closed")},
        {Str::SignalOverload, QStringLiteral("Signal overload ! Decrease soundcard input level")},
        {Str::SoundcardNotActiveError, QStringLiteral("Error ! Soundcard is not active...")},
        {Str::NoiseLevelPrefix, QStringLiteral("Noise level ")},
        {Str::DecibelSuffix, QStringLiteral("dB")},
        {Str::ImdPrefix, QStringLiteral("IMD ")},
        {Str::PpmSuffix, QStringLiteral(" ppm")},
        {Str::HertzSuffix, QStringLiteral("Hz")},
        {Str::UtcSuffix, QStringLiteral(" UTC")},
        {Str::UnknownErrorCode, QStringLiteral("Unknown error: code ")},

        {Str::ConnectHint, QStringLiteral("Connect/activate soundcard")},
        {Str::DisconnectHint, QStringLiteral("Disconnect soundcard")},
        {Str::TransmissionStarted, QStringLiteral("Transmission started...")},
        {Str::TransmissionStopped, QStringLiteral("Transmission stopped...")},
        {Str::ToggleToTransmitHint, QStringLiteral("Toggle to transmit mode")},
        {Str::TransmitHint, QStringLiteral("Transmit")},
        {Str::StopTransmissionHint, QStringLiteral("Stop transmission")},
        {Str::SendTuneHint, QStringLiteral("Send a tune")},
        {Str::StopTuningHint, QStringLiteral("Stop tuning")},
        {Str::ActiveTrackCaption, QStringLiteral("Active track")},
        {Str::SquelchThresholdPrefix, QStringLiteral("Squelsh threshold : ")},

        {Str::TrackHintPrefix, QStringLiteral("Track #")},
        {Str::TrackHintDrag, QStringLiteral("- Drag me to change frequency")},
        {Str::TrackHintDelete, QStringLiteral("Right click to delete me")},
        {Str::ActivateSoundcardFirst, QStringLiteral("Activate the soundcard before creating a new track !")},
        {Str::DeleteTrackQuestion, QStringLiteral("Delete track")},
        {Str::QuestionSuffix, QStringLiteral(" ?")},
        {Str::DeletingTrack, QStringLiteral("Deleting track")},
        {Str::PleaseWait, QStringLiteral(". Please wait...")},
        {Str::ClearAllTracksQuestion, QStringLiteral("Clear all tracks ?")},
        {Str::SendTextFileTitle, QStringLiteral("Send a text file ?")},
        {Str::TextFilesFilter, QStringLiteral("Text files (*.txt)")},
        {Str::TextFileUnreadable, QStringLiteral("The text file cannot be read: ")},

        {Str::FieldHisCallsignEmpty, QStringLiteral("Field \"His Callsign\" is empty !")},
        {Str::FieldHisReportEmpty, QStringLiteral("Field \"His Report\" is empty !")},
        {Str::FieldDateEmpty, QStringLiteral("Field \"Date\" is empty !")},
        {Str::FieldHourEmpty, QStringLiteral("Field \"Hour\" is empty !")},
        {Str::FieldCallSignEmpty, QStringLiteral("Field \"CallSign\" is empty !")},
        {Str::FieldUtcHourEmpty, QStringLiteral("Field \"UTC Hour\" is empty !")},
        {Str::FieldFrequencyEmpty, QStringLiteral("Field \"Frequency\" is empty !")},
        {Str::FieldModeEmpty, QStringLiteral("Field \"Mode\" is empty !")},
        {Str::FieldReportReceivedEmpty, QStringLiteral("Field \"Report received\" is empty !")},
        {Str::FieldReportGivenEmpty, QStringLiteral("Field \"Report given\" is empty !")},
        {Str::AdifDialogInformation,
         QStringLiteral("This dialog allows you to save your datas in an ADIF database. Thus\r\n"
                        "allowing you to import it in the electronic logbook of your choice.\r\n"
                        "The name of this database will be \"Varneklog.adi\". If it does not exist,\r\n"
                        "you will be prompted to create one. Otherwise, the create button will\r\n"
                        "be grayed. Do not forget to fill all the empty edit boxes...")},
        {Str::YourLogAsFor, QStringLiteral("Your log as for ")},
        {Str::LogEndReached, QStringLiteral("The log's end has been reached !")},
        {Str::CaptionEndOfFile, QStringLiteral("End of file")},
        {Str::NotValidInteger, QStringLiteral("'%s' is not a valid integer value")},
        {Str::FileNotFound, QStringLiteral("File not found")},
        {Str::FindCallsignPrompt, QStringLiteral("Enter callsign here...")},
        {Str::LogColumnHeader + 0, QStringLiteral("#")},
        {Str::LogColumnHeader + 1, QStringLiteral("CALLSIGN")},
        {Str::LogColumnHeader + 2, QStringLiteral("DATE")},
        {Str::LogColumnHeader + 3, QStringLiteral("HOUR")},
        {Str::LogColumnHeader + 4, QStringLiteral("BAND")},
        {Str::LogColumnHeader + 5, QStringLiteral("MODE")},
        {Str::LogColumnHeader + 6, QStringLiteral("RCVD")},
        {Str::LogColumnHeader + 7, QStringLiteral("SENT")},
        {Str::LogColumnHeader + 8, QStringLiteral("NAME")},
        {Str::LogColumnHeader + 9, QStringLiteral("INFO")},

        {Str::SetupCaption, QStringLiteral("Program setup")},
        {Str::BandTooNarrow, QStringLiteral("To avoid problems, bandwidth cannot be less than 400Hz\r\n"
                                            "A correction has been made accordingly.")},
        {Str::ComDeviceSeparator, QStringLiteral(": ")},
        {Str::ComDeviceNotFound, QStringLiteral(" (not found)")},
        {Str::ComDeviceNotSerial, QStringLiteral(" (not a serial port)")},
        {Str::SoundInputPrefix, QStringLiteral("Input: ")},
        {Str::SoundOutputPrefix, QStringLiteral("Output: ")},
        {Str::SoundNoDevice, QStringLiteral("none")},
        {Str::FontColorButton, QStringLiteral("Color...")},

        {Str::CallsignMissingCaption, QStringLiteral("Callsign is missing")},
        {Str::EnterStationCallsign, QStringLiteral("Enter station callsign")},
        {Str::ReportMissingCaption, QStringLiteral("Report (RST) is missing")},
        {Str::EnterStationReport, QStringLiteral("Enter station report")},
        {Str::GoodMorning, QStringLiteral("Good morning")},
        {Str::GoodAfternoon, QStringLiteral("Good afternoon")},
        {Str::GoodEvening, QStringLiteral("Good evening")},
        {Str::EndOfQso, QStringLiteral("End of QSO: ")},
        {Str::MacroNeedsName, QStringLiteral("A macro must have a name !")},
        {Str::MacroExists, QStringLiteral("This macro already exists !")},
        {Str::ModifyIt, QStringLiteral("Modify it ?")},
        {Str::MacroMaximum, QStringLiteral("Maximum number of macros is 40. Sorry...")},
        {Str::ForgotHint, QStringLiteral("You forgot the hint !")},
        {Str::ForgotText, QStringLiteral("You forgot the text !")},
        {Str::DeleteMacroQuestion, QStringLiteral("Delete this macro ?")},

        {Str::AboutCaption, QStringLiteral("About VARNEK v1.6a")},
        {Str::AboutCredits,
         QStringLiteral("VARNEK v1.6a - PSK31 keyboard-to-keyboard terminal for radio amateurs.\n"
                        "Written by the VARNEK team with the pskmodem PSK31 engine. Thanks to every "
                        "operator who sent reports, translations and QSL cards.\n"
                        "Contact: varnek@q9zzv-software.example")},
        {Str::MemoryInstalled, QStringLiteral("MEMORY INSTALLED ON THIS COMPUTER :")},
        {Str::KilobyteSuffix, QStringLiteral(" Kb")},
        {Str::AboutWebAddress, QStringLiteral("http://www.q9zzv-software.example")},
        {Str::SysInfoComputerUser, QStringLiteral("COMPUTER & USER")},
        {Str::SysInfoDomainName, QStringLiteral("- Domain name ")},
        {Str::SysInfoComputerName, QStringLiteral("- Local Computer name ")},
        {Str::SysInfoUserName, QStringLiteral("- Local User Name ")},
        {Str::SysInfoCompany, QStringLiteral("- Registered Company ")},
        {Str::SysInfoOwner, QStringLiteral("- Registered Owner ")},
        {Str::SysInfoComment, QStringLiteral("- Comment ")},
        {Str::SysInfoCpu, QStringLiteral("COMPUTER PROCESSING UNIT (CPU)")},
        {Str::SysInfoCpuName, QStringLiteral("- Name ")},
        {Str::SysInfoCpuVendor, QStringLiteral("- Manufacturer ")},
        {Str::SysInfoCpuFrequency, QStringLiteral("- Frequency ")},
        {Str::SysInfoOs, QStringLiteral("OPERATING SYSTEM (OS)")},
        {Str::SysInfoProductName, QStringLiteral("- Product Name ")},
        {Str::SysInfoProductId, QStringLiteral("- Product ID ")},
        {Str::SysInfoVersionBuild, QStringLiteral("- Version Build ")},
        {Str::SysInfoServicePack, QStringLiteral("- Service Pack Version ")},
        {Str::SysInfoMemory, QStringLiteral("MEMORY")},
        {Str::SysInfoFreePageFile, QStringLiteral("- Free Page File Memory ")},
        {Str::SysInfoFreePhysical, QStringLiteral("- Free Physical Memory ")},
        {Str::SysInfoFreeVirtual, QStringLiteral("- Free Virtual Memory ")},
        {Str::SysInfoTotalPageFile, QStringLiteral("- Total Page File Memory ")},
        {Str::SysInfoTotalPhysical, QStringLiteral("- Total Physical Memory ")},
        {Str::SysInfoTotalVirtual, QStringLiteral("- Total Virtual Memory ")},
        {Str::LookingForInformation, QStringLiteral("Looking for informations on the Internet")},
        {Str::NoNewInformation, QStringLiteral("No new information on the Internet")},
        {Str::NewInformationStatus, QStringLiteral("New informations about Q9ZZV programs")},
        {Str::NewInformationQuestion,
         QStringLiteral("New informations about Q9ZZV programs are available on the Internet.\r\n"
                        "Do you want to download the file and have a look at them ?")},
        {Str::CaptionInternetInformation, QStringLiteral("Informations from the Internet")},
        {Str::UpdateBalloonTitle, QStringLiteral("Connecting to the Q9ZZV Software web site")},
        {Str::UpdateBalloonText,
         QStringLiteral("Looking for news about Q9ZZV Software programs and updates...")},
        {Str::FileDoesNotExist, QStringLiteral(" does not exist")},
        {Str::HelpWindowCaption, QStringLiteral("VARNEK Help")},
        {Str::HelpContentsTab, QStringLiteral("Contents")},
        {Str::HelpIndexTab, QStringLiteral("Index")},
        {Str::HelpSearchTab, QStringLiteral("Search")},
        {Str::HelpCollectionMissing, QStringLiteral("The VARNEK help cannot be opened: ")},
        {Str::HelpTopicMissing, QStringLiteral("There is no help topic for ")},

        {Str::ListIndexOutOfBounds, QStringLiteral("List index out of bounds (%d)")},
        {Str::SplashVersion, QStringLiteral("Version 1.6a (Spring 2006) ")},

        {Str::ModemStatusBase + 0, QStringLiteral("In reception mode...")},
        {Str::ModemStatusBase + 1, QStringLiteral("In transmission mode...")},
        {Str::ModemStatusBase + 2, QStringLiteral("Processor too slow or busy !")},
        {Str::ModemStatusBase + 3, QStringLiteral("Finishing transmitting remaining characters...")},
        {Str::ModemStatusBase + 4, QStringLiteral("Input Wave file finished reading")},
        {Str::ModemStatusBase + 5, QStringLiteral("Output Wave file reached time limit")},
        {Str::ModemStatusBase + 6, QStringLiteral("Input file complete status")},
        {Str::ModemStatusBase + 7, QStringLiteral("Output file complete status")},
        {Str::ModemStatusBase + 10, QStringLiteral("Memory allocation error")},
        {Str::ModemStatusBase + 11, QStringLiteral("Tried to read and soundcard is not open")},
        {Str::ModemStatusBase + 12, QStringLiteral("Input buffers overflowed")},
        {Str::ModemStatusBase + 13, QStringLiteral("timed out waiting for input buffers")},
        {Str::ModemStatusBase + 14, QStringLiteral("Tried to write and soundcard is not open")},
        {Str::ModemStatusBase + 15, QStringLiteral("Output buffers underflowed")},
        {Str::ModemStatusBase + 16, QStringLiteral("Timed out waiting for output buffers")},
        {Str::ModemStatusBase + 17, QStringLiteral("Card doesn't support 16 bits, 8000 Hz, Mono format")},
        {Str::ModemStatusBase + 18, QStringLiteral("Still something playing on soundcard")},
        {Str::ModemStatusBase + 19, QStringLiteral("Header not prepared")},
        {Str::ModemStatusBase + 20, QStringLiteral("Device is synchronous")},
        {Str::ModemStatusBase + 21, QStringLiteral("Bad device ID, soundcard not present")},
        {Str::ModemStatusBase + 22, QStringLiteral("Driver failed to enable")},
        {Str::ModemStatusBase + 23, QStringLiteral("Device already allocated")},
        {Str::ModemStatusBase + 24, QStringLiteral("Device handle is invalid")},
        {Str::ModemStatusBase + 25, QStringLiteral("No device driver present")},
        {Str::ModemStatusBase + 26, QStringLiteral("Function is not supported")},
        {Str::ModemStatusBase + 27, QStringLiteral("Error value out of range")},
        {Str::ModemStatusBase + 28, QStringLiteral("Invalid flag passed")},
        {Str::ModemStatusBase + 29, QStringLiteral("Invalid parameter passed")},
        {Str::ModemStatusBase + 30, QStringLiteral("Handle being used")},
        {Str::ModemStatusBase + 31, QStringLiteral("Driver does not call DriverCallback")},
        {Str::ModemStatusBase + 32, QStringLiteral("Registry error")},
        {Str::ModemStatusBase + 33, QStringLiteral("Unknown error")},
        {Str::ModemStatusBase + 34, QStringLiteral("Can't open wave file for input")},
        {Str::ModemStatusBase + 35, QStringLiteral("File is not a riff wave type")},
        {Str::ModemStatusBase + 36, QStringLiteral("Invalid Wave file")},
        {Str::ModemStatusBase + 37, QStringLiteral("No data in file")},
        {Str::ModemStatusBase + 38, QStringLiteral("Not a supported data type")},
        {Str::ModemStatusBase + 39, QStringLiteral("Error reading data from file")},
        {Str::ModemStatusBase + 40, QStringLiteral("Tried to read and file is not open")},
        {Str::ModemStatusBase + 42, QStringLiteral("Error writing to wave file")},
        {Str::ModemStatusBase + 43, QStringLiteral("Tried to write and file is not open")},
    };
    return t;
}

std::function<std::optional<QString>(int)> &languageLookup() {
    static std::function<std::optional<QString>(int)> lookup;
    return lookup;
}

} // namespace

QString builtinString(int id) { return table().value(id); }

QString LcfLoadString(int id) {
    if (const auto &lookup = languageLookup()) {
        if (auto text = lookup(id))
            return *text;
    }
    return builtinString(id);
}

void setLanguageLookup(std::function<std::optional<QString>(int)> lookup) {
    languageLookup() = std::move(lookup);
}
