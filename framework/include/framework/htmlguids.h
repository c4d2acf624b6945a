// Identifiers of the HTML and script interfaces that the toolchain's uuid library lacks. Each
// is defined once per module (selectany), so every module that includes this header has them.
#pragma once

#include "framework.h"

#include <activscp.h>
#include <mshtml.h>

extern "C" {
__declspec(selectany) extern const GUID CLSID_HTMLDocument = {
    0x25336920, 0x03f9, 0x11cf, {0x8f, 0xd0, 0x00, 0xaa, 0x00, 0x68, 0x6f, 0x13}};
__declspec(selectany) extern const GUID DIID_HTMLElementEvents2 = {
    0x3050f60f, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
__declspec(selectany) extern const GUID IID_IActiveScriptParse32 = {
    0xbb1a2ae2, 0xa4f9, 0x11cf, {0x8f, 0x20, 0x00, 0x80, 0x5f, 0x2c, 0xd0, 0x64}};
}

// The system's JScript engine.
inline constexpr CLSID CLSID_JScriptEngine = {
    0xf414c260, 0x6ac0, 0x11cf, {0xb6, 0xd1, 0x00, 0xaa, 0x00, 0xbb, 0xbb, 0x58}};
