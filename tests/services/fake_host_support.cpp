// The recording host lives in its header; this file stays for the programs that list it.
#include "services/fake_host_support.h"
