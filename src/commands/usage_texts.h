// The syntax texts the commands print for /? and that the Usage export hands to the host.
#pragma once

namespace commands {

inline constexpr char16_t kBBDumpUsage[] =
    u"Dump a binary buffer to standard output as hex.\n\nBBDUMP /B /BE /C: /CP: /D /E: /F: /H /K: "
    u"/LE /M /N: /P /Q /W bbhandle...  \r\n\n\t/B\tdump bytes "
    u"\t\t(default)\n\t/BE\tbig-endian\n\t/C:\tstart address\n\t/CP:\tcode page for OEM "
    u"text\n\t/D\tdump doublewords\n\t/E:\tend address\n\t/F:\tnumeric base for values\t(16) "
    u"\n\t/H\tdisplay headers\n\t/K:\tbytes per line\n\t/LE\tlittle-endian "
    u"\t\t(default)\n\t/M:\tmaximum bytes to display\n\t/N:\tdisable features     \t/N? for more "
    u"info \n\t/P\tpage output\n\t/Q\tdump quadwords\n\t/W\tdump words\n\nbbhandle must be a "
    u"handle returned by @BALLOC.\n";

inline constexpr char16_t kBBListUsage[] =
    u"List currently allocated binary buffers.\n\nBBLIST /B /O: /P \r\n\n\t/B\tbare "
    u"bones\n\t/O:\tsort buffers \t\t/O? for more info\n\t/P\tpage output\n\nOnly binary buffers "
    u"created while this plugin is loaded \ncan be listed. \n";

// The source module names and versions shown with the usage text on request (/??).
inline constexpr char kBBDumpModule[] = "BBDumpCmd";
inline constexpr char kBBDumpVersion[] = "0.46.2.0";
inline constexpr char kBBListModule[] = "BBListCmd";
inline constexpr char kBBListVersion[] = "0.93.0.0";

} // namespace commands
