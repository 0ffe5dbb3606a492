#pragma once
// Numbers of the strings in the string table. Numbers below 1000 are the table's historical
// numbers; 1000 and up hold the other texts of the window, menus and dialogs, so that the whole
// user interface can switch language. Menu item texts use their command id as string number.

#include <cstdint>

namespace trovel::Str {

constexpr uint16_t AppName = 1;          // the application name, used in the window title
constexpr uint16_t MessageCaption = 2;   // caption of every message box
constexpr uint16_t BackBufferFailed = 3;
constexpr uint16_t RandomTip = 5;
constexpr uint16_t BranchMemoryTip = 6;     // "%s が %s と比べて %s"
constexpr uint16_t BranchConstantTip = 7;   // "%s が %d と比べて %s"
constexpr uint16_t WheelContinueTip = 10;
constexpr uint16_t SteerContinueTip = 13;
constexpr uint16_t WaitTip = 19;
constexpr uint16_t Yes = 20;
constexpr uint16_t No = 21;
constexpr uint16_t Repeat = 22;
constexpr uint16_t RepeatTimes = 23;      // "%d回"
constexpr uint16_t Endless = 24;
constexpr uint16_t Seconds = 25;          // "%.1f秒"
constexpr uint16_t ProgramTooLarge = 32;
constexpr uint16_t FirstRepeatMark = 36;  // "①"; repeat n is this character + n
constexpr uint16_t RandomA = 52;
constexpr uint16_t RandomB = 58;
constexpr uint16_t OpAssign = 62;         // 62..66: = += -= *= /=
constexpr uint16_t OpAdd = 63;
constexpr uint16_t OpSubtract = 64;
constexpr uint16_t OpMultiply = 65;
constexpr uint16_t OpDivide = 66;
constexpr uint16_t NotConnected = 74;
constexpr uint16_t LoopBack = 76;
constexpr uint16_t StartName = 81;
constexpr uint16_t EndName = 82;
constexpr uint16_t TipNew = 85;
constexpr uint16_t TipOpen = 86;
constexpr uint16_t TipSave = 87;
constexpr uint16_t TipUndo = 88;
constexpr uint16_t TipRedo = 89;
constexpr uint16_t TipCut = 90;
constexpr uint16_t TipCopy = 91;
constexpr uint16_t TipPaste = 92;
constexpr uint16_t TipWrite = 95;
constexpr uint16_t Go = 103;              // "進む"
constexpr uint16_t ShortLeft = 108;       // motion captions of continuing blocks
constexpr uint16_t ShortRight = 109;
constexpr uint16_t ShortForward = 110;
constexpr uint16_t ShortStop = 113;
constexpr uint16_t ShortLeftForward = 114;
constexpr uint16_t ShortRightForward = 115;
constexpr uint16_t MotionTip = 271;       // "%.1f 秒間 %s"
constexpr uint16_t Off = 272;
constexpr uint16_t RepeatTip = 274;
constexpr uint16_t Less = 298;            // 298..300: comparison words
constexpr uint16_t Equal = 299;
constexpr uint16_t Greater = 300;
constexpr uint16_t TipSimulator = 307;
constexpr uint16_t On = 309;
constexpr uint16_t LeftLedOff = 310;
constexpr uint16_t LeftLedOn = 311;
constexpr uint16_t RightLedOff = 313;
constexpr uint16_t RightLedOn = 314;
constexpr uint16_t RightLedTimed = 315;
constexpr uint16_t LeftLedTimed = 316;
constexpr uint16_t EndlessRepeatTip = 317;
constexpr uint16_t SteerTimedTip = 320;
constexpr uint16_t WheelTimedTip = 321;
constexpr uint16_t SourceSimulator = 322;
constexpr uint16_t SourceRobot = 323;

// Start-up and settings files.
constexpr uint16_t StartupFailed = 1000;
constexpr uint16_t SkinImageUnreadable = 1001;  // "%s" is the image's full path
constexpr uint16_t SkinTooFew = 1002;
// Window title and program files.
constexpr uint16_t NewProgramTitle = 1010;
constexpr uint16_t ViewModeSuffix = 1011;
constexpr uint16_t UnsupportedFormat = 1012;
constexpr uint16_t SaveChanges = 1013;
constexpr uint16_t TooManyRepeats = 1014;   // "%d" is the most repeats a program may hold
constexpr uint16_t ConnectRobot = 1015;
constexpr uint16_t ConfirmFirmware = 1016;
// Screenshot.
constexpr uint16_t JpegUnavailable = 1020;
constexpr uint16_t ScreenshotSaved = 1021;
constexpr uint16_t ScreenshotFailed = 1022;
constexpr uint16_t ScreenshotDialogTitle = 1023;
// About box.
constexpr uint16_t AboutTitle = 1030;
constexpr uint16_t AboutVersion = 1031;   // "バージョン\t%s"
constexpr uint16_t AboutCompany = 1032;
constexpr uint16_t AboutCopyright = 1033;
constexpr uint16_t AboutComment = 1034;
// Option dialog.
constexpr uint16_t OptionsTitle = 1040;
constexpr uint16_t OptionCalcBlock = 1041;
constexpr uint16_t OptionWheelControl = 1042;
constexpr uint16_t OptionMemoryMap = 1043;
constexpr uint16_t OptionCollision = 1044;
constexpr uint16_t OptionRepeatCheck = 1045;
constexpr uint16_t OptionSensors34 = 1046;
constexpr uint16_t ApplyOptions = 1047;
// Motor dialog.
constexpr uint16_t MotorDialogTitle = 1050;
constexpr uint16_t MotorRobotHeading = 1051;
constexpr uint16_t MotorSimHeading = 1052;
constexpr uint16_t MotorRightGroup = 1053;
constexpr uint16_t MotorLeftGroup = 1054;
constexpr uint16_t MotorSlow = 1055;
constexpr uint16_t MotorFast = 1056;
constexpr uint16_t MotorSpeed = 1057;
constexpr uint16_t MotorPercent = 1058;
constexpr uint16_t MotorHint = 1059;
constexpr uint16_t MotorReadOnConnect = 1060;
constexpr uint16_t ApplyMotorSettings = 1061;
constexpr uint16_t DiscardMotorChanges = 1062;
constexpr uint16_t ButtonOk = 1063;
constexpr uint16_t ButtonClose = 1064;
constexpr uint16_t ButtonCancel = 1065;
// Menu titles; the items use their command ids (40001 ... 40201).
constexpr uint16_t MenuFile = 1070;
constexpr uint16_t MenuEdit = 1071;
constexpr uint16_t MenuProgram = 1072;
constexpr uint16_t MenuSettings = 1073;
constexpr uint16_t MenuHelp = 1074;
constexpr uint16_t MenuSimulator = 1075;
// Block captions: FirstBlockCaption + type code - 1 for codes 1..17.
constexpr uint16_t FirstBlockCaption = 1101;
// Sensor captions of memory addresses 9..14.
constexpr uint16_t FirstSensorCaption = 1120;
// Status label texts.
constexpr uint16_t Connected = 1130;
constexpr uint16_t Writing = 1131;
constexpr uint16_t FirmwareIncomplete = 1132;
constexpr uint16_t RobotInUse = 1133;
// The other standard buttons of message boxes (OK, Close and Cancel are 1063..1065).
constexpr uint16_t ButtonYes = 1142;
constexpr uint16_t ButtonNo = 1143;
constexpr uint16_t ButtonAbort = 1145;
constexpr uint16_t ButtonRetry = 1146;
constexpr uint16_t ButtonIgnore = 1147;

// Texts of the block property panels.
constexpr uint16_t PanelSecondsFor = 1150;
constexpr uint16_t PanelSeconds = 1151;
constexpr uint16_t PanelTurn = 1152;
constexpr uint16_t PanelComparedWith = 1153;
constexpr uint16_t PanelLedOn = 1154;
constexpr uint16_t PanelLedOff = 1155;
constexpr uint16_t PanelLedTimed = 1156;
constexpr uint16_t PanelConstant = 1157;
constexpr uint16_t PanelRepeatTimes = 1158;
constexpr uint16_t PanelRepeatForever = 1159;
constexpr uint16_t PanelNothingToSet = 1160;

// Memory-map window.
constexpr uint16_t MemoryMapTitle = 1300;
constexpr uint16_t MemoryMapName = 1301;
constexpr uint16_t MemoryMapValue = 1302;
// About box: what the program is.
constexpr uint16_t AboutDescription = 1303;
// Simulator window, lap records, file and write messages.
constexpr uint16_t SimMenuRun = 1310;
constexpr uint16_t SimPlay = 1311;
constexpr uint16_t SimStop = 1312;
constexpr uint16_t SimPause = 1313;
constexpr uint16_t SimMenuSettings = 1314;
constexpr uint16_t SimZoomOut = 1315;
constexpr uint16_t SimZoomIn2 = 1316;
constexpr uint16_t SimZoomIn4 = 1317;
constexpr uint16_t SimNormalSpeed = 1318;
constexpr uint16_t SimSlow = 1319;
constexpr uint16_t SimSlower = 1320;
constexpr uint16_t SimRecords = 1321;
constexpr uint16_t SimMenuCourse = 1322;
constexpr uint16_t SimCourseHeading = 1323;
constexpr uint16_t SimTipPlay = 1324;
constexpr uint16_t SimTipPause = 1325;
constexpr uint16_t SimTipStop = 1326;
constexpr uint16_t SimFrameTitle = 1327;
constexpr uint16_t SimCourseTitle = 1328;
constexpr uint16_t RepeatFaultStopRun = 1329;
constexpr uint16_t RepeatNumberFaultStopRun = 1330;
constexpr uint16_t RecordsTitle = 1331;
constexpr uint16_t RecordsCourse = 1332;
constexpr uint16_t RecordsTime = 1333;
constexpr uint16_t RecordsClose = 1334;
constexpr uint16_t RecordsResetAll = 1335;
constexpr uint16_t RecordsResetSelected = 1336;
constexpr uint16_t RecordsAskResetAll = 1337;
constexpr uint16_t RecordsDeleted = 1338;
constexpr uint16_t RecordsChooseCourse = 1339;
constexpr uint16_t RecordsAskResetSelected = 1340;
constexpr uint16_t OpenProgramTitle = 1341;
constexpr uint16_t SaveProgramTitle = 1342;
constexpr uint16_t ProgramLineDamaged = 1343;
constexpr uint16_t FileOpenFailed = 1344;
constexpr uint16_t ProgramSaveFailed = 1345;
constexpr uint16_t RepeatFaultStopWrite = 1346;
constexpr uint16_t RepeatNumberFaultStopWrite = 1347;
constexpr uint16_t TransferWriting = 1348;
constexpr uint16_t TransferCancel = 1349;
constexpr uint16_t BadRobotUsb = 1350;
constexpr uint16_t RecordTime = 1351;  // "%d分%02d秒%03d": minutes, seconds, milliseconds
// Robot write, read and firmware messages.
constexpr uint16_t RobotWriteTitle = 1352;
constexpr uint16_t FirmwareTitle = 1353;
constexpr uint16_t FirmwareFileBroken = 1354;
constexpr uint16_t FirmwareFileOutOfRange = 1355;
constexpr uint16_t FirmwareFileEmpty = 1356;
constexpr uint16_t RobotNotSent = 1357;
constexpr uint16_t RobotNoBootLoader = 1358;
constexpr uint16_t RobotNoReply = 1359;
constexpr uint16_t RobotUnsteady = 1360;
constexpr uint16_t RobotBusy = 1361;
constexpr uint16_t RobotProgramErased = 1362;
constexpr uint16_t ConfirmWriteProgram = 1363;
constexpr uint16_t RepeatUnjoinedCannotWrite = 1364;
constexpr uint16_t WriteVerifyError = 1365;
constexpr uint16_t WriteFailed = 1366;
constexpr uint16_t WriteCancelledErased = 1367;
constexpr uint16_t ConfirmReadProgram = 1368;
constexpr uint16_t ReadFailed = 1369;
constexpr uint16_t ReadDone = 1370;
constexpr uint16_t ChooseFirmwareFile = 1371;
constexpr uint16_t FirmwareRetry = 1372;
constexpr uint16_t FirmwareDone = 1373;
constexpr uint16_t FirmwarePartlyWritten = 1374;
constexpr uint16_t FirmwareFailed = 1375;
// trovel-cli's own messages (after "PATH: " where they are about a file).
constexpr uint16_t CliBadArguments = 1376;
constexpr uint16_t CliCannotOpen = 1377;
constexpr uint16_t CliNotProgramFile = 1378;
constexpr uint16_t CliDamagedRecord = 1379;
constexpr uint16_t CliBrokenRepeat = 1380;
constexpr uint16_t CliCannotWriteImage = 1381;
constexpr uint16_t CliCannotWriteProgram = 1382;
// Robot transfer stages, closing messages, and trovel-cli robot's messages.
constexpr uint16_t StepStartingBootLoader = 1800;
constexpr uint16_t StepReconnecting = 1801;
constexpr uint16_t StepErasingSequence = 1802;
constexpr uint16_t StepWritingSequence = 1803;
constexpr uint16_t StepReadingSequence = 1804;
constexpr uint16_t StepReadingMemoryMap = 1805;
constexpr uint16_t StepWritingMemoryMap = 1806;
constexpr uint16_t StepErasingFirmware = 1807;
constexpr uint16_t StepWritingFirmware = 1808;
constexpr uint16_t StepComparingFirmware = 1809;
constexpr uint16_t StepLeavingBootLoader = 1810;
constexpr uint16_t StepCheckingRestart = 1811;
constexpr uint16_t RobotReadTitle = 1812;
constexpr uint16_t WriteDone = 1813;
constexpr uint16_t WriteNotRestarted = 1814;
constexpr uint16_t RobotStaysInBootLoader = 1815;
constexpr uint16_t ReadNoProgram = 1900;  // the robot's sequence area is erased: the program is kept
constexpr uint16_t FirmwareNotRestarted = 1816;
constexpr uint16_t TransferReading = 1817;
constexpr uint16_t CliRobotUsage = 1820;
constexpr uint16_t CliRobotUnknownFault = 1821;
constexpr uint16_t CliRobotSpeeds = 1822;
constexpr uint16_t CliRobotUnknownOption = 1823;
constexpr uint16_t CliRobotWrongArguments = 1824;
constexpr uint16_t CliRobotReadNeedsOut = 1825;
constexpr uint16_t CliRobotUnknownCommand = 1826;
constexpr uint16_t CliRobotFaultNeedsVirtual = 1827;
constexpr uint16_t CliRobotNotAProgram = 1828;
constexpr uint16_t CliRobotDoesNotCompile = 1829;
constexpr uint16_t CliRobotBadHex = 1830;
constexpr uint16_t CliRobotBadHexLine = 1831;
constexpr uint16_t CliRobotStateBusy = 1832;
constexpr uint16_t CliRobotBadState = 1833;
constexpr uint16_t CliRobotInUse = 1834;
constexpr uint16_t CliRobotNotFound = 1835;
constexpr uint16_t CliRobotSilent = 1836;
constexpr uint16_t CliRobotRunsProgram = 1837;
constexpr uint16_t CliRobotWaitsInBootLoader = 1838;
constexpr uint16_t CliRobotStillInBootLoader = 1839;
constexpr uint16_t CliRobotNoMemory = 1840;
constexpr uint16_t CliRobotBytesRead = 1841;
constexpr uint16_t CliRobotBytesWritten = 1842;
constexpr uint16_t CliRobotFirmwareWritten = 1843;
constexpr uint16_t CliRobotFirmwareMatches = 1844;
constexpr uint16_t CliRobotFirmwareDiffers = 1845;
constexpr uint16_t CliRobotNotWritten = 1846;
constexpr uint16_t CliRobotTransferFailed = 1847;
constexpr uint16_t CliRobotCannotSaveState = 1848;
constexpr uint16_t CliRobotNotRestarted = 1849;
// Simulator as a teaching instrument: speeds, stepping, breakpoints, path, ghost.
constexpr uint16_t SimSpeedDouble = 1500;
constexpr uint16_t SimSpeedFive = 1501;
constexpr uint16_t SimSpeedTen = 1502;
constexpr uint16_t SimSpeedFastest = 1503;
constexpr uint16_t SimStepTick = 1504;
constexpr uint16_t SimStepBlock = 1505;
constexpr uint16_t SimShowPath = 1506;
constexpr uint16_t SimShowGhost = 1507;
constexpr uint16_t SimTipStepTick = 1508;
constexpr uint16_t SimTipStepBlock = 1509;
constexpr uint16_t SimTipShowPath = 1510;
constexpr uint16_t SimSpeedShown = 1511;
constexpr uint16_t SimSpeedNormalShort = 1512;
constexpr uint16_t SimSpeedFastestShown = 1513;
constexpr uint16_t SimHeldAtBreakpoint = 1514;
constexpr uint16_t SimHeldAfterBlock = 1515;
constexpr uint16_t SimPausedShown = 1516;
constexpr uint16_t ChartBreakpoint = 1517;
constexpr uint16_t SimMenuView = 1518;
// Sensor plot of the simulator.
constexpr uint16_t SensorPlot = 1600;
constexpr uint16_t PlotFreeze = 1601;
constexpr uint16_t PlotSaveCsv = 1602;
constexpr uint16_t PlotSavePng = 1603;
constexpr uint16_t PlotLeftSensor = 1604;
constexpr uint16_t PlotRightSensor = 1605;
constexpr uint16_t PlotSensor3 = 1606;
constexpr uint16_t PlotSensor4 = 1607;
constexpr uint16_t PlotLeftWheel = 1608;
constexpr uint16_t PlotRightWheel = 1609;
constexpr uint16_t PlotVariable = 1610;
constexpr uint16_t PlotBlockStarts = 1611;
constexpr uint16_t PlotTimeAxis = 1612;
constexpr uint16_t PlotReadoutTime = 1613;
constexpr uint16_t PlotBlockTip = 1614;
constexpr uint16_t PlotSaveFailed = 1615;
constexpr uint16_t PlotHint = 1616;
// Words of the class grading report ("trovel-cli grade").
constexpr uint16_t GradeTitle = 1750;
constexpr uint16_t GradeLanguageCode = 1751;
constexpr uint16_t GradeSummaryLine = 1752;
constexpr uint16_t GradeNoiseOff = 1753;
constexpr uint16_t GradeCourseTitle = 1754;
constexpr uint16_t GradeProgram = 1755;
constexpr uint16_t GradeSuccess = 1756;
constexpr uint16_t GradeBestLap = 1757;
constexpr uint16_t GradeMedianLap = 1758;
constexpr uint16_t GradeFailures = 1759;
constexpr uint16_t GradeBestRun = 1760;
constexpr uint16_t GradeTimeLimit = 1761;
constexpr uint16_t GradeLeftLine = 1762;
constexpr uint16_t GradeNoSensorBranch = 1763;
constexpr uint16_t GradePassedGoal = 1764;
constexpr uint16_t GradeForbidden = 1765;
constexpr uint16_t GradeMissedCheckpoint = 1766;
constexpr uint16_t GradeEndedOutsideGoal = 1767;
constexpr uint16_t GradeEndlessChain = 1768;
constexpr uint16_t GradeRepeatMark = 1769;
constexpr uint16_t GradePathOfRun = 1770;
constexpr uint16_t GradeRun = 1771;
constexpr uint16_t GradePrograms = 1772;
constexpr uint16_t GradeNotGraded = 1773;
constexpr uint16_t GradeRepeatNote = 1774;
constexpr uint16_t GradeChart = 1775;
constexpr uint16_t GradeUnreadable = 1776;
constexpr uint16_t GradeCsvCourse = 1777;
constexpr uint16_t GradeCsvCourseName = 1778;
constexpr uint16_t GradeCsvRuns = 1779;
constexpr uint16_t GradeCsvGoals = 1780;
constexpr uint16_t GradeCsvSuccessRate = 1781;
constexpr uint16_t GradeCsvMedianLap = 1782;
constexpr uint16_t GradeCsvBestLap = 1783;
constexpr uint16_t GradeCsvRepeatFault = 1784;
constexpr uint16_t GradeCsvError = 1785;
// Course loading, lap records and run timing in the simulator.
constexpr uint16_t CourseConfigMissing = 1700;
constexpr uint16_t CourseCountMismatch = 1701;
constexpr uint16_t CourseTextureFailed = 1702;
constexpr uint16_t CoursePictureMissing = 1703;  // "[%s]..." the file
constexpr uint16_t CourseNotBitmap = 1704;       // "[%s]..." the file
constexpr uint16_t CourseNot24Bit = 1705;        // "[%s]..." the file
constexpr uint16_t CourseWrongWidth = 1706;      // "[%s]...%d": the file and the width it should have
constexpr uint16_t CourseWrongHeight = 1707;     // "[%s]...%d": the file and the height it should have
constexpr uint16_t RecordsNone = 1708;           // a timed course without a best time
constexpr uint16_t SimStoppedInGoal = 1709;      // the user's 停止 inside a stop-in-goal course's goal
constexpr uint16_t SimRunNotTimed = 1710;        // 再生 without a re-arm on a timed course
// Printing a course at its real size and a program's chart as PDF.
constexpr uint16_t PrintCourse = 2050;  // menu item; also its command id
constexpr uint16_t PrintProgram = 2051;  // menu item; also its command id
constexpr uint16_t PrintCourseTitle = 2052;
constexpr uint16_t PrintProgramTitle = 2053;
constexpr uint16_t PrintCourseLabel = 2054;
constexpr uint16_t PrintMatSize = 2055;
constexpr uint16_t PrintMatRealScale = 2056;  // the default mat's width and height
constexpr uint16_t PrintPaper = 2057;
constexpr uint16_t PrintPortrait = 2058;
constexpr uint16_t PrintLandscape = 2059;
constexpr uint16_t PrintPoster = 2060;
constexpr uint16_t PrintTileSummary = 2061;
constexpr uint16_t PrintPosterSummary = 2062;
constexpr uint16_t PrintChartSummary = 2063;
constexpr uint16_t PrintSaveTitle = 2064;
constexpr uint16_t PrintSaved = 2065;
constexpr uint16_t PrintFailed = 2066;
constexpr uint16_t PrintNoCourse = 2067;
constexpr uint16_t PrintNoPicture = 2068;
constexpr uint16_t PrintTooManyPages = 2069;
constexpr uint16_t PrintTileLabel = 2070;  // the tile's column and row and the course name
constexpr uint16_t PrintScaleNote = 2071;
constexpr uint16_t PrintOverviewTitle = 2072;  // the course name
constexpr uint16_t PrintOverviewInfo = 2073;  // mat size, mm per course unit, paper, orientation, page count
constexpr uint16_t PrintAssembly = 2074;
constexpr uint16_t PrintChartPage = 2075;
constexpr uint16_t PrintChartTooLarge = 2076;
constexpr uint16_t PrintOrientation = 2077;
constexpr uint16_t PrintMatOutOfRange = 2078;
// Course names of a language pack: course i is FirstCourseName + i; none in the built-in table.
constexpr uint16_t FirstCourseName = 1400;

// Menu item texts: the command id is the string number.
constexpr uint16_t FirstMenuCommand = 40001;
constexpr uint16_t LastMenuCommand = 40201;

}  // namespace trovel::Str
