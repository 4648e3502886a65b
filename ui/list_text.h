// Texts as a list control that keeps its cells in UTF-16 sees them: a cell's
// bytes after their way through the code page and back, and the case-blind
// form its type-to-find compares. Fixed buffers only: answering the list
// allocates nothing, so it works as well when memory runs out.
#pragma once

// Copies text into buffer (size bytes, NUL included) as a list that kept
// the text itself would give it back; absent text gives an empty cell.
void CopyCellText(const char* text, char* buffer, int size);

// Up to kFoldedChars characters of a text, lower-cased; whole says whether
// they are all of it.
enum { kFoldedChars = 520 };
struct FoldedText {
    wchar_t text[kFoldedChars];
    int length;
    bool whole;
};
void FoldText(const char* text, FoldedText* folded);
void FoldText(const wchar_t* text, FoldedText* folded);
// False when the name's first byte alone rules out a match (an ASCII character
// folds to itself or its small letter): most names are passed over unfolded.
bool MayMatchFolded(const char* name, const FoldedText& wanted);
// A name that begins with the wanted text (partial), or is the wanted text.
bool MatchesFolded(const FoldedText& name, const FoldedText& wanted, bool partial);
