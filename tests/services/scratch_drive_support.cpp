// ScratchDrive lives in its header; this file stays for the programs that list it.
#include "services/scratch_drive.h"
