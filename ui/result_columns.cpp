// Holds Shift-JIS texts: compiled with the CP932 execution character set.
#include "ui/result_columns.h"

const ResultColumn kResultColumns[kResultColumnCount] = {
    {"ファイル名", 25, &AttachmentRecord::fileName, true},
    {"種類", 10, &AttachmentRecord::typeName, false},
    {"件名", 25, &AttachmentRecord::subject, false},
    {"差出人", 20, &AttachmentRecord::sender, false},
    {"送信日時", 10, &AttachmentRecord::date, false},
    {"フォルダ", 10, &AttachmentRecord::folderName, false},
};

int32_t ResultColumnWidth(int32_t listWidth, int column) {
    return listWidth * kResultColumns[column].widthShare / 100;
}

const RefString& ResultCell(const AttachmentRecord* record, int column) {
    if (column < 0 || column >= kResultColumnCount) column = 0;
    return record->*kResultColumns[column].field;
}
