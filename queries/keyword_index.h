#pragma once
// Keyword index lookup: every keyword's index picture, fetched from the index
// service, fitted into 80 x 16, shown in column 3 of the keyword table and
// stored as hexadecimal text in web_baiduzhishu, so that selecting a site
// later shows the stored pictures without asking the service.

#include "text/text.h"

namespace zv {

class MainWindow;

// The index button: enterBusyState, queryKeywordIndexes, leaveBusyState.
void onIndexButtonClicked(MainWindow& window);

// Looks up every keyword row in order, shows its picture and stores them all.
// Runs inside the caller's busy state.
void queryKeywordIndexes(MainWindow& window);

// Stores the pictures the last lookup showed, one row per keyword.
void saveKeywordIndexes(MainWindow& window);

// Shows the stored picture of every keyword row; makes no request.
void loadKeywordIndexes(MainWindow& window);

// Every byte as two upper-case hexadecimal digits, no separator.
Text bytesToHex(const ByteBlock& bytes);
// The bytes of the complete digit pairs (either letter case) before the first
// character that is not a hexadecimal digit; a lone last digit is dropped.
ByteBlock hexToBytes(const Text& hex);

// The address the index service is asked at, and the POST body for keyword.
Text indexServiceAddress();
Text indexRequestBody(const Text& keyword);

// The picture address the service's answer page gives for keyword: the row
// whose keyword cell equals keyword exactly; empty when no row does.
Text indexPictureAddress(const Text& answerPage, const Text& keyword);

} // namespace zv
