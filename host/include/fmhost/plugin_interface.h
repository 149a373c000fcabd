/*
 * The host's plug-in interface, as the stand-in host offers it.
 *
 * A plug-in exports one entry point, FMExternCallProc, which the host calls
 * with a HostCallRecord for every message. The plug-in reaches back into the
 * host through the FM_ functions below: plain C functions over opaque host
 * objects. Objects made by a Constructor belong to the caller until the
 * matching Delete; objects returned by accessors belong to the object they
 * came from and are never deleted.
 *
 * Every FM_ function takes as its last argument an error record. The host
 * sets version 1 and code 0 on success, code 1 when memory ran out and code 2
 * on any other failure.
 */
#ifndef FMHOST_PLUGIN_INTERFACE_H
#define FMHOST_PLUGIN_INTERFACE_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#  define FMX_EXPORT __declspec(dllexport)
#  define FMX_CALL __cdecl
#else
#  define FMX_EXPORT __attribute__((visibility("default")))
#  define FMX_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Error record -------------------------------------------------------- */

typedef struct FMX_Error {
    int32_t version; /* 1 */
    int32_t code;    /* FMX_ERR_NONE, FMX_ERR_OUT_OF_MEMORY or FMX_ERR_FAILURE */
} FMX_Error;

enum { FMX_ERR_NONE = 0, FMX_ERR_OUT_OF_MEMORY = 1, FMX_ERR_FAILURE = 2 };

/* ---- Opaque host objects ------------------------------------------------- */

typedef struct FMX_Data FMX_Data;
typedef struct FMX_Text FMX_Text;
typedef struct FMX_CharacterStyle FMX_CharacterStyle;
typedef struct FMX_Color FMX_Color;
typedef struct FMX_BinaryData FMX_BinaryData;
typedef struct FMX_DateTime FMX_DateTime;
typedef struct FMX_FixPt FMX_FixPt;
typedef struct FMX_QuadChar FMX_QuadChar;
typedef struct FMX_Locale FMX_Locale;
typedef struct FMX_ExprEnv FMX_ExprEnv;
typedef struct FMX_DataVect FMX_DataVect;

typedef uint16_t FMX_Unichar; /* one UTF-16 code unit */

/* ---- Call-backs ---------------------------------------------------------- */

/* Registered calculation function: the host calls it with the function id,
 * the calculation's environment, the argument values and the result to fill;
 * it returns a host error code (0 for success). */
typedef int16_t(FMX_CALL *FMX_FunctionCallback)(int16_t functionId, const FMX_ExprEnv *env,
                                                const FMX_DataVect *args, FMX_Data *result);

/* Starts a script: file name, script name, control (0 halt, 1 exit, 2 resume,
 * 3 pause) and an optional parameter (may be null). Returns a host error code. */
typedef int16_t(FMX_CALL *FMX_StartScriptCallback)(const FMX_Text *fileName, const FMX_Text *scriptName,
                                                   uint8_t control, const FMX_Data *parameter);

/* Fills an environment with the current file, table and record. */
typedef int16_t(FMX_CALL *FMX_CurrentEnvCallback)(FMX_ExprEnv *env);

/* ---- Host call record ---------------------------------------------------- */

enum {
    FMX_MSG_INIT = 0,
    FMX_MSG_IDLE = 1,
    FMX_MSG_EXTERNAL = 2,
    FMX_MSG_GET_STRING_LEGACY = 3,
    FMX_MSG_SHUTDOWN = 4,
    FMX_MSG_PREFERENCES = 5,
    FMX_MSG_RESERVED = 6,
    FMX_MSG_GET_STRING = 7
};

enum {
    FMX_APP_ADVANCED = 0,
    FMX_APP_PRO = 1,
    FMX_APP_RUNTIME = 2,
    FMX_APP_SERVER = 3,
    FMX_APP_WPE = 4,
    FMX_APP_MOBILE = 5
};

enum { FMX_STRING_NAME = 128, FMX_STRING_DESCRIPTION = 129, FMX_STRING_OPTIONS = 131 };

enum { FMX_INIT_CURRENT_VERSION = 51, FMX_INIT_BAD_VERSION = -1, FMX_INIT_DO_NOT_ENABLE = -2 };

/* The record the host passes to FMExternCallProc. On a 32-bit build the
 * offsets are those the host publishes (pinned below); on a 64-bit build the
 * pointer-wide fields grow and move with their alignment. */
typedef struct HostCallRecord {
    int16_t apiVersion;        /*  0: the host's plug-in API version */
    uint8_t hostReserved1[7];  /*  2: the host's own fields */
    uint8_t message;           /*  9: FMX_MSG_* */
    uint8_t unsafeCalls;       /* 10: non-zero: idle must not call back into the host */
    uint8_t param1;            /* 11: init: application type; idle: idle state; get-string: string id */
    uint32_t param2;           /* 12 */
    uint32_t param3;           /* 16: get-string: capacity of the answer buffer in UTF-16 units */
    uintptr_t instanceID;      /* 20: the plug-in module's instance handle */
    intptr_t result;           /* 24: init: the result; get-string: address of the answer buffer */
    uintptr_t hostReserved2[11];
    FMX_StartScriptCallback cStartScript; /* 72 */
    FMX_CurrentEnvCallback cCurrentEnv;   /* 76 */
} HostCallRecord;

#if UINTPTR_MAX == 0xFFFFFFFFu
#  ifdef __cplusplus
#    define FMX_STATIC_ASSERT static_assert
#  else
#    define FMX_STATIC_ASSERT _Static_assert
#  endif
FMX_STATIC_ASSERT(offsetof(HostCallRecord, message) == 9, "message at 9");
FMX_STATIC_ASSERT(offsetof(HostCallRecord, unsafeCalls) == 10, "unsafeCalls at 10");
FMX_STATIC_ASSERT(offsetof(HostCallRecord, param1) == 11, "param1 at 11");
FMX_STATIC_ASSERT(offsetof(HostCallRecord, param3) == 16, "param3 at 16");
FMX_STATIC_ASSERT(offsetof(HostCallRecord, instanceID) == 20, "instanceID at 20");
FMX_STATIC_ASSERT(offsetof(HostCallRecord, result) == 24, "result at 24");
FMX_STATIC_ASSERT(offsetof(HostCallRecord, cStartScript) == 72, "cStartScript at 72");
FMX_STATIC_ASSERT(offsetof(HostCallRecord, cCurrentEnv) == 76, "cCurrentEnv at 76");
#endif

/* The plug-in's one export. */
typedef void(FMX_CALL *FMX_ExternCallProc)(HostCallRecord *record);

/* ---- Data ---------------------------------------------------------------- */

enum {
    FMX_DT_INVALID = 0,
    FMX_DT_TEXT = 1,
    FMX_DT_NUMBER = 2,
    FMX_DT_DATE = 3,
    FMX_DT_TIME = 4,
    FMX_DT_TIMESTAMP = 5,
    FMX_DT_BINARY = 6,
    FMX_DT_BOOLEAN = 7
};

FMX_Data *FM_Data_Constructor1(FMX_Error *err);
void FM_Data_Delete(FMX_Data *data, FMX_Error *err);
int FM_Data_IsEmpty(const FMX_Data *data, FMX_Error *err);
int32_t FM_Data_GetNativeType(const FMX_Data *data, FMX_Error *err);
const FMX_Text *FM_Data_GetAsText(const FMX_Data *data, FMX_Error *err);
const FMX_FixPt *FM_Data_GetAsNumber(const FMX_Data *data, FMX_Error *err);
const FMX_DateTime *FM_Data_GetAsDate(const FMX_Data *data, FMX_Error *err);
const FMX_DateTime *FM_Data_GetAsTime(const FMX_Data *data, FMX_Error *err);
const FMX_DateTime *FM_Data_GetAsTimeStamp(const FMX_Data *data, FMX_Error *err);
const FMX_BinaryData *FM_Data_GetBinaryData(const FMX_Data *data, FMX_Error *err);
const FMX_Locale *FM_Data_GetLocale(const FMX_Data *data, FMX_Error *err);
/* Setters copy their source and return non-zero on success. */
int FM_Data_SetAsText(FMX_Data *data, const FMX_Text *text, const FMX_Locale *sourceLocale, int32_t nativeType,
                      FMX_Error *err);
int FM_Data_SetAsNumber(FMX_Data *data, const FMX_FixPt *number, int32_t nativeType, FMX_Error *err);
int FM_Data_SetAsDate(FMX_Data *data, const FMX_DateTime *date, int32_t nativeType, FMX_Error *err);
int FM_Data_SetAsTime(FMX_Data *data, const FMX_DateTime *time, int32_t nativeType, FMX_Error *err);
int FM_Data_SetAsTimeStamp(FMX_Data *data, const FMX_DateTime *timestamp, int32_t nativeType, FMX_Error *err);
int FM_Data_SetBinaryData(FMX_Data *data, const FMX_BinaryData *binary, int forceBinaryNativeType,
                          FMX_Error *err);

/* ---- Text ---------------------------------------------------------------- */

/* Sizes and positions count UTF-16 units; FMX_SIZE_END means "to the end". */
#define FMX_SIZE_END 0xFFFFFFFFu

FMX_Text *FM_Text_Constructor1(FMX_Error *err);
void FM_Text_Delete(FMX_Text *text, FMX_Error *err);
uint32_t FM_Text_GetSize(const FMX_Text *text, FMX_Error *err);
/* Copies size units from position into buffer; no terminator is added. */
void FM_Text_GetUnicode(const FMX_Text *text, FMX_Unichar *buffer, uint32_t position, uint32_t size,
                        FMX_Error *err);
/* Assigns a zero-terminated UTF-16 string (the text ends before its first U+0000). */
void FM_Text_AssignUnicode(FMX_Text *text, const FMX_Unichar *unicode, FMX_Error *err);
void FM_Text_AssignUnicodeWithLength(FMX_Text *text, const FMX_Unichar *unicode, uint32_t length,
                                     FMX_Error *err);
/* Appends size units of other starting at position, styles included. */
void FM_Text_AppendText(FMX_Text *text, const FMX_Text *other, uint32_t position, uint32_t size,
                        FMX_Error *err);
void FM_Text_SetStyle(FMX_Text *text, const FMX_CharacterStyle *style, uint32_t position, uint32_t size,
                      FMX_Error *err);
void FM_Text_GetStyle(const FMX_Text *text, FMX_CharacterStyle *style, uint32_t position, FMX_Error *err);
void FM_Text_GetDefaultStyle(const FMX_Text *text, FMX_CharacterStyle *style, FMX_Error *err);

/* ---- CharacterStyle and Color -------------------------------------------- */

FMX_CharacterStyle *FM_CharacterStyle_Constructor1(FMX_Error *err);
void FM_CharacterStyle_Delete(FMX_CharacterStyle *style, FMX_Error *err);
void FM_CharacterStyle_SetFace(FMX_CharacterStyle *style, uint16_t face, FMX_Error *err);
void FM_CharacterStyle_SetFont(FMX_CharacterStyle *style, uint16_t font, FMX_Error *err);
void FM_CharacterStyle_SetSize(FMX_CharacterStyle *style, uint16_t size, FMX_Error *err);
void FM_CharacterStyle_SetColor(FMX_CharacterStyle *style, const FMX_Color *color, FMX_Error *err);
uint16_t FM_CharacterStyle_GetFace(const FMX_CharacterStyle *style, FMX_Error *err);
uint16_t FM_CharacterStyle_GetFont(const FMX_CharacterStyle *style, FMX_Error *err);
uint16_t FM_CharacterStyle_GetSize(const FMX_CharacterStyle *style, FMX_Error *err);
/* Returns a view of the style's colour, owned by the style. */
const FMX_Color *FM_CharacterStyle_GetColor(const FMX_CharacterStyle *style, FMX_Error *err);

FMX_Color *FM_Color_Constructor1(FMX_Error *err);
void FM_Color_Delete(FMX_Color *color, FMX_Error *err);
void FM_Color_SetRed(FMX_Color *color, uint8_t value, FMX_Error *err);
void FM_Color_SetGreen(FMX_Color *color, uint8_t value, FMX_Error *err);
void FM_Color_SetBlue(FMX_Color *color, uint8_t value, FMX_Error *err);
void FM_Color_SetAlpha(FMX_Color *color, uint8_t value, FMX_Error *err);
uint8_t FM_Color_GetRed(const FMX_Color *color, FMX_Error *err);
uint8_t FM_Color_GetGreen(const FMX_Color *color, FMX_Error *err);
uint8_t FM_Color_GetBlue(const FMX_Color *color, FMX_Error *err);
uint8_t FM_Color_GetAlpha(const FMX_Color *color, FMX_Error *err);

/* ---- BinaryData: ordered typed streams ----------------------------------- */

FMX_BinaryData *FM_BinaryData_Constructor1(FMX_Error *err);
FMX_BinaryData *FM_BinaryData_Constructor2(const FMX_BinaryData *source, FMX_Error *err);
void FM_BinaryData_Delete(FMX_BinaryData *binary, FMX_Error *err);
int32_t FM_BinaryData_GetCount(const FMX_BinaryData *binary, FMX_Error *err);
uint32_t FM_BinaryData_GetTotalSize(const FMX_BinaryData *binary, FMX_Error *err);
/* Index of the stream of that type, or -1. */
int32_t FM_BinaryData_GetIndex(const FMX_BinaryData *binary, const FMX_QuadChar *type, FMX_Error *err);
void FM_BinaryData_GetType(const FMX_BinaryData *binary, int32_t index, FMX_QuadChar *type, FMX_Error *err);
/* Size in bytes of stream index; 0 for an index outside the streams. */
uint32_t FM_BinaryData_GetSize(const FMX_BinaryData *binary, int32_t index, FMX_Error *err);
/* Copies amount bytes of stream index from offset into buffer; returns 0 on success. */
int32_t FM_BinaryData_GetData(const FMX_BinaryData *binary, int32_t index, uint32_t offset, uint32_t amount,
                              void *buffer, FMX_Error *err);
/* Adds a stream; returns 0 on success, non-zero when a stream of that type exists already. */
int32_t FM_BinaryData_Add(FMX_BinaryData *binary, const FMX_QuadChar *type, uint32_t amount, const void *buffer,
                          FMX_Error *err);
/* Removes the stream of that type; returns non-zero when one was removed. */
int FM_BinaryData_Remove(FMX_BinaryData *binary, const FMX_QuadChar *type, FMX_Error *err);
void FM_BinaryData_RemoveAll(FMX_BinaryData *binary, FMX_Error *err);

/* ---- DateTime: days since the host epoch (1970-01-01 is day 719163) ------ */

FMX_DateTime *FM_DateTime_Constructor1(FMX_Error *err);
void FM_DateTime_Delete(FMX_DateTime *dateTime, FMX_Error *err);
void FM_DateTime_SetNormalizedDate2(FMX_DateTime *dateTime, const FMX_FixPt *year, const FMX_FixPt *month,
                                    const FMX_FixPt *day, FMX_Error *err);
void FM_DateTime_SetNormalizedTime1(FMX_DateTime *dateTime, int64_t hour, int16_t minute, int16_t second,
                                    int32_t microsecond, FMX_Error *err);
void FM_DateTime_SetSecsSinceMidnight(FMX_DateTime *dateTime, const FMX_FixPt *seconds, FMX_Error *err);
int32_t FM_DateTime_GetDaysSinceEpoch(const FMX_DateTime *dateTime, FMX_Error *err);
void FM_DateTime_GetSecsSinceMidnight(const FMX_DateTime *dateTime, FMX_FixPt *seconds, FMX_Error *err);
void FM_DateTime_GetSecondsSinceEpoch(const FMX_DateTime *dateTime, FMX_FixPt *seconds, FMX_Error *err);

/* ---- FixPt: decimal numbers ---------------------------------------------- */
/* Exact decimals with a precision: the digits after the point that
   AssignDouble and Divide keep (0 to 400, 16 by default). Add, Subtract and
   Multiply are exact; a result beyond the host's range (10^10000) and
   division by zero fail with code 2 and leave the result as it was. */

FMX_FixPt *FM_FixPt_Constructor1(int32_t value, int32_t precision, FMX_Error *err);
void FM_FixPt_Delete(FMX_FixPt *number, FMX_Error *err);
void FM_FixPt_AssignInt(FMX_FixPt *number, int32_t value, FMX_Error *err);
void FM_FixPt_AssignInt64(FMX_FixPt *number, int64_t value, FMX_Error *err);
void FM_FixPt_AssignDouble(FMX_FixPt *number, double value, FMX_Error *err);
/* Copies the value; the precision stays. */
void FM_FixPt_AssignFixPt(FMX_FixPt *number, const FMX_FixPt *source, FMX_Error *err);
int32_t FM_FixPt_GetPrecision(const FMX_FixPt *number, FMX_Error *err);
void FM_FixPt_SetPrecision(FMX_FixPt *number, int32_t precision, FMX_Error *err);
void FM_FixPt_Negate(FMX_FixPt *number, FMX_Error *err);
/* result = a op b; Divide rounds half away from zero to the result's
   precision. The result may be one of the operands. */
void FM_FixPt_Add(const FMX_FixPt *a, const FMX_FixPt *b, FMX_FixPt *result, FMX_Error *err);
void FM_FixPt_Subtract(const FMX_FixPt *a, const FMX_FixPt *b, FMX_FixPt *result, FMX_Error *err);
void FM_FixPt_Multiply(const FMX_FixPt *a, const FMX_FixPt *b, FMX_FixPt *result, FMX_Error *err);
void FM_FixPt_Divide(const FMX_FixPt *a, const FMX_FixPt *b, FMX_FixPt *result, FMX_Error *err);
/* The value truncated toward zero and saturated to the signed 32-bit range. */
int32_t FM_FixPt_AsLong(const FMX_FixPt *number, FMX_Error *err);
/* The same for the signed 64-bit range. */
int64_t FM_FixPt_AsLong64(const FMX_FixPt *number, FMX_Error *err);
double FM_FixPt_AsFloat(const FMX_FixPt *number, FMX_Error *err);

/* ---- QuadChar: four characters, the first most significant -------------- */

FMX_QuadChar *FM_QuadChar_Constructor1(FMX_Error *err);
FMX_QuadChar *FM_QuadChar_Constructor2(char c0, char c1, char c2, char c3, FMX_Error *err);
void FM_QuadChar_Delete(FMX_QuadChar *quad, FMX_Error *err);
void FM_QuadChar_SetMacType(FMX_QuadChar *quad, uint32_t type, FMX_Error *err);
uint32_t FM_QuadChar_GetMacType(const FMX_QuadChar *quad, FMX_Error *err);

/* ---- ExprEnv and DataVect ------------------------------------------------ */

FMX_ExprEnv *FM_ExprEnv_Constructor1(int32_t kind, FMX_Error *err);
void FM_ExprEnv_Delete(FMX_ExprEnv *env, FMX_Error *err);
/* Evaluates a calculation in the environment into result; returns a host
 * error code (0 for success). */
int16_t FM_ExprEnv_Evaluate(const FMX_ExprEnv *env, const FMX_Text *expression, FMX_Data *result,
                            FMX_Error *err);
/* maxArgs -1 means any number. Returns 0 when the function was registered. */
int16_t FM_ExprEnv_RegisterExternalFunction(const FMX_QuadChar *pluginId, int16_t functionId,
                                            const FMX_Text *name, const FMX_Text *prototype, int16_t minArgs,
                                            int16_t maxArgs, uint32_t typeFlags, FMX_FunctionCallback callback,
                                            FMX_Error *err);

uint32_t FM_DataVect_Size(const FMX_DataVect *vect, FMX_Error *err);
const FMX_Data *FM_DataVect_At(const FMX_DataVect *vect, uint32_t index, FMX_Error *err);

#ifdef __cplusplus
}
#endif

#endif
