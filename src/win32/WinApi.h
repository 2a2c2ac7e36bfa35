// <windows.h> for the Win32 layer. The platform seam names operations after
// what they do (CopyFile, MoveFile, DeleteFile); the ANSI/wide macros of the
// same names are removed so that those methods keep their names. Code here
// calls the wide functions by their W names.
#pragma once
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#undef CopyFile
#undef MoveFile
#undef DeleteFile
