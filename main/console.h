// Output of the command line on Windows, where a windowed program starts without a console.
#pragma once

namespace launcher {

// Started from cmd.exe or PowerShell, the program writes into that console (in UTF-8);
// output already sent to a file or a pipe stays there. Does nothing on other systems.
void useParentConsole();

// Standard output passes every byte as it is: a list written there keeps its CR LF. Does
// nothing on other systems, whose output never changes line ends.
void binaryStandardOutput();

// Gives the process a UTF-8 character type when the environment sets none (a container, a
// cron job, LANG=C), before Qt starts and complains about it on standard error. The other
// categories (numbers, messages) stay as the user set them. Does nothing on Windows.
void useUtf8CharacterType();

} // namespace launcher
