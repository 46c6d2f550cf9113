#include "files/GpsBabelConverter.h"
