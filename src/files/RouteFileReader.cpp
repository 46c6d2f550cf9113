#include "files/RouteFileReader.h"
