#pragma once

#include <string>

namespace tulvo::test {

// The file written from an image with default settings except for the alarm
// line, one black-list entry and one subscriber named "Иванов Иван"
// (Windows-1251).
inline const std::string kExample =
    "FXO,OCM:0,PM:0,MLDM:0,MLFT:0,MLNT:0,LMDM:0,LMFT:0,LMNT:0,FLAG:00,PR:0,VL:0,MAB:0,OUTLIM:0,"
    "INLIM:0,HLP:0\r\n"
    "FXS,OCM:0,PM:0,MLDM:0,MLFT:0,MLNT:0,LMDM:0,LMFT:0,LMNT:0,FLAG:00,PR:0,VL:0,MAB:0,OUTLIM:0,"
    "INLIM:0,HLP:0\r\n"
    "GSM,FLAG:01,RM:1,RP:\r\n"
    "PASSWORD:9387\r\n"
    "ALARM,EM:00,MM:00010001,P0:9387,P1:9387,P2:9387,P3:9387,P4:9387,I0:0,I1:0,I2:1,I3:2,T0:0,"
    "T1:120,T2:120,T3:120,FLAG:00\r\n"
    "BL:1,GM:01,FLAG:05,NUM:8800\r\n"
    "Ab:1,ID:0001,Lim:7200/7200,LM:3F,DL:0,Gr:01,FLAG:0A,Ph:0123456789,"
    "FNS:\xC8\xE2\xE0\xED\xEE\xE2/\xC8\xE2\xE0\xED\r\n"
    "AC_CTRL,TO1:1,USSD:*101#,UNIT:UAH,AL:5,AB1:65535,AB2:65535,AB3:65535,AB4:65535\r\n";

}  // namespace tulvo::test
