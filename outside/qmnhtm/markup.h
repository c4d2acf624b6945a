// The mark-up parser: turns the text into a list of runs (words, blanks and breaks), each with
// one of a small table of styles.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace qmnhtm
{

// What a run's text looks like. Empty face, zero height and CLR_INVALID mean "as the DC has it".
struct Style
{
    std::wstring face;
    int height = 0; // logical font height, negative for the character height
    COLORREF color = CLR_INVALID;
    bool bold = false;
    bool italic = false;
    bool underline = false;

    bool operator==(const Style&) const = default;
};

enum class RunKind
{
    Text,      // characters of one style; adjacent Text runs belong to one word
    Space,     // a collapsed run of white space
    Break,     // <br>: ends the line, or makes an empty one
    Paragraph, // <p>: ends the line and leaves an empty one before the next word
    LineEnd,   // </p>: ends the line when it has text
};

struct Run
{
    RunKind kind;
    int style;         // index into Document::styles
    std::wstring text; // Text runs only
};

struct Document
{
    std::vector<Style> styles; // styles[0] is the DC's own
    std::vector<Run> runs;
};

// Parses the mark-up; point sizes become logical heights through logPixelsY.
Document Parse(const wchar_t* html, int logPixelsY);

} // namespace qmnhtm
