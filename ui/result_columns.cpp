// Holds Shift-JIS texts: compiled with the CP932 execution character set.
#include "ui/result_columns.h"

const ResultColumn kResultColumns[kResultColumnCount] = {
    {"ファイル名", 25}, {"種類", 10},     {"件名", 25},
    {"差出人", 20},     {"送信日時", 10}, {"フォルダ", 10},
};

int32_t ResultColumnWidth(int32_t listWidth, int column) {
    return listWidth * kResultColumns[column].widthShare / 100;
}
