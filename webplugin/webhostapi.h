// The web server's plug-in interface library WEBHOSTAPI, imported by ordinal
// (the import library is made from WEBHOSTAPI.def). Every call passes the
// request handle first and returns its status through the trailing return
// code (0 = success); lengths are 32-bit values passed by pointer.
#ifndef DVLWHAPI_WEBHOSTAPI_H
#define DVLWHAPI_WEBHOSTAPI_H

#include <windows.h>

extern "C" {
// Ordinal 11: value length in = buffer size, out = value length.
void WINAPI WhExtractVariable(void* handle, const char* name, long* nameLength,
                              char* value, long* valueLength, long* rc);
// Ordinal 12.
void WINAPI WhSetHeader(void* handle, const char* name, long* nameLength,
                        const char* value, long* valueLength, long* rc);
// Ordinal 15: length in = bytes wanted, out = bytes read; rc 8 = read normally.
void WINAPI WhReadBody(void* handle, char* buffer, long* length, long* rc);
// Ordinal 16.
void WINAPI WhWriteClient(void* handle, const char* data, long* length, long* rc);
// Ordinal 18.
void WINAPI WhWriteErrorLog(void* handle, const char* text, long* length, long* rc);
}

// Result of a normal body read.
#define WH_READ_OK 8L

#endif
