#pragma once

// The operator's messages about the gateway, each written once. They are the
// gateway tools' established wording and are kept character for character;
// the misspellings marked below are part of that wording and are kept on
// purpose, so scripts and operators that look for them still find them.
namespace tulvo::texts {

// Opening the port and talking to the gateway.
inline constexpr const char* kCannotOpenPort = "Невозможно открыть порт!";
inline constexpr const char* kLinkError = "Ошибка связи с устройством!";
// The small windows say it without the exclamation mark.
inline constexpr const char* kLinkErrorPlain = "Ошибка связи с устройством";
inline constexpr const char* kReadDataError = "Ошибка при чтении данных!";

// Whole-image read.
inline constexpr const char* kReadCaption = "Чтение данных";
inline constexpr const char* kReadDone = "Чтение завершено!";
inline constexpr const char* kReadSubscriberError = "Ошибка чтения абонента! №";
inline constexpr const char* kReadPhoneError = "Ошибка чтения телефона! №";
inline constexpr const char* kReadTotalLimitError = "Ошибка при чтении общего лимита! №";
inline constexpr const char* kReadFxoError = "Ошибка чтения FXO!";
inline constexpr const char* kReadFxsError = "Ошибка чтения FXS!";
inline constexpr const char* kReadMobError = "Ошибка чтения MOB!";
inline constexpr const char* kReadPasswordError = "Ошибка чтения пароля администратора!";
inline constexpr const char* kReadAccountError = "Ошибка чтения!";
inline constexpr const char* kReadAlarmError = "Ошибка чтения параметров оповещения!";
inline constexpr const char* kReadBlackListError = "Ошибка чтения черного списка!";
inline constexpr const char* kReadSmsError = "Ошибка при чтении SMS сообщений!";

// Whole-image write.
inline constexpr const char* kWriteCaption = "Запись данных";
// "устройсво" (sic): kept on purpose.
inline constexpr const char* kWriteFailed = "Ошибка при записи данных в устройсво!";
inline constexpr const char* kWriteSubscriberError = "Ошибка записи абонента! №";
inline constexpr const char* kWritePhoneError = "Ошибка записи телефона! №";
inline constexpr const char* kWriteFxoError = "Ошибка записи FXO!";
inline constexpr const char* kWriteFxsError = "Ошибка записи FXS!";
inline constexpr const char* kWriteMobError = "Ошибка записи MOB!";
inline constexpr const char* kWritePasswordError = "Ошибка записи пароля администратора!";
inline constexpr const char* kWriteAccountError = "Ошибка записи в устройство!";
inline constexpr const char* kWriteAlarmError = "Ошибка записи параметров оповещения!";
inline constexpr const char* kWriteBlackListError = "Ошибка записи черного списка!";
inline constexpr const char* kWriteSmsError = "Ошибка записи SMS сообщения!";

// A whole-image transfer stopped by the operator.
inline constexpr const char* kReadStopped =
    "Чтение прервано. Порт закрыт; прочитанные данные сохранены.";
inline constexpr const char* kWriteStopped =
    "Запись прервана. Порт закрыт; шлюз получил только часть данных, время не установлено.";
inline constexpr const char* kStopping = "Прерывание…";

// Clock.
inline constexpr const char* kClockError = "Ошибка синхронизации времени в устройстве!";
inline constexpr const char* kClockAfterWrite = "Синхронизация завершена";
inline constexpr const char* kClockDone = "Синхронизация времени прошла успешно!";

// Single values.
inline constexpr const char* kTotalLimitRead = "Данные считаны";
inline constexpr const char* kTotalLimitWritten = "Данные записаны";
inline constexpr const char* kDevNameWritten = "Идентификатор записан";
inline constexpr const char* kDevNameRead = "Чтение завершено";
inline constexpr const char* kPinCodeWritten = "PIN код записан";

// The subscriber's own total limit.
inline constexpr const char* kEnterLimit = "Введите лимит!";
inline constexpr const char* kBadValue = "Недопустимое значение!";
// "Выберете" (sic): kept on purpose.
inline constexpr const char* kChooseCalls =
    "Выберете тип звонков на которые будет распространяться лимит(Исх, Вход, или оба)";

// Firmware update.
inline constexpr const char* kFirmwareCaption = "Прошивка";
inline constexpr const char* kNoFirmwareFile = "Не указан файл прошивки!";
inline constexpr const char* kCannotOpenProgram = "Невозможно открыть файл TProgram!";
inline constexpr const char* kCannotOpenVoice = "Невозможно открыть файл TVoice!";
inline constexpr const char* kFirmwareBadSize = "Недопустимый размер файла";
inline constexpr const char* kFirmwareBadFormat = "Недопустимый формат файла";
inline constexpr const char* kFirmwareWriteError = "Ошибка при записи данных!";
inline constexpr const char* kVoiceReadError = "Ошибка при чтении файла TVoice!";
inline constexpr const char* kProgramWritten = "Файл TProgram записан";
inline constexpr const char* kVoiceWritten = "Файл TVoice записан";
inline constexpr const char* kProgramStage = "Образ программы (TProgram)";
inline constexpr const char* kVoiceStage = "Голосовые сообщения (TVoice)";
inline constexpr const char* kEndingStage = "Завершение обновления прошивки";
inline constexpr const char* kStopCutsProgram =
    "Если прервать запись сейчас, шлюз останется без работающей программы.";
inline constexpr const char* kStopCutsVoice =
    "Если прервать запись сейчас, голосовые сообщения шлюза будут записаны не полностью.";
inline constexpr const char* kAskStopFirmware = "Прервать запись прошивки?";
inline constexpr const char* kFirmwareStopped = "Запись прошивки прервана.";
// Call-log download.
inline constexpr const char* kLogReadingBlock = "Читаем ";  // then the block number
inline constexpr const char* kLogBlockWord = " блок";
inline constexpr const char* kLogNoMoreData = "Данных больше нет";
inline constexpr const char* kLogHeaderError = "Ошибка чтения количества соединений!";
inline constexpr const char* kLogRecordError = "Ошибка чтения базы соединений!";
inline constexpr const char* kLogEraseError = "Невозможно стереть блок!";
inline constexpr const char* kLogBlockKept =
    "Чтение прервано. Блок не стёрт и будет считан снова при следующем чтении.";
// Clearing the call log.
inline constexpr const char* kLogClearAsk = "Очистить базу звонков?";
inline constexpr const char* kLogClearConfirm =
    "Вы действительно хотите очистить базу звонков, эта операция необратима?";

}  // namespace tulvo::texts
