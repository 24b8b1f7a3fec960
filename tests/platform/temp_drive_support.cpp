// TempDrive lives in its header; this file stays for the programs that list it.
#include "temp_drive.h"
