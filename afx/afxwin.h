// The framework: include this one header.
#pragma once

#include "afxapp.h"
#include "afxdlg.h"
#include "afxmsg.h"
#include "afxres.h"
#include "afxstr.h"
#include "afxthread.h"
#include "afxwnd.h"
