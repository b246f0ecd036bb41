#include "cpl/qvtouch_app.h"

CQvtouchApp theApp;
