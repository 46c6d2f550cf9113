#include "files/RouteImport.h"
