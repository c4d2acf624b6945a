// Resource IDs of the drawing-primitive tests, clear of SuiteCore's own.
#pragma once

#define IDB_TEST_BITMAP 31001
#define IDP_TEST_PNG 31002
#define IDP_TEST_PNG_RCDATA 31003
#define IDP_NOT_AN_IMAGE 31004

#define IDD_CLASSIC_FONT 31101
#define IDD_CLASSIC_NOFONT 31102
#define IDD_EXTENDED_FONT 31103
#define IDD_NEGATIVE_SIZE 31104

#define IDC_FIRST 1001
#define IDC_SECOND 1002
#define IDC_THIRD 1003
