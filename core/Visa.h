// The part of the VISA I/O library that the plug-ins and the simulator use:
// types with the widths of the vendors' binary interface, and standard values.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#define ZVDS_VISA_CALL __stdcall
#else
#define ZVDS_VISA_CALL
#endif

typedef uint32_t ViUInt32;
typedef int32_t ViInt32;
typedef uint16_t ViUInt16;
typedef uint8_t ViByte;
typedef uint16_t ViBoolean;
typedef ViInt32 ViStatus;
typedef ViUInt32 ViObject;
typedef ViObject ViSession;
typedef ViUInt32 ViAttr;
typedef ViUInt32 ViAccessMode;
typedef ViByte* ViBuf;
typedef const ViByte* ViConstBuf;
typedef const char* ViConstRsrc;
// An attribute value is as wide as a pointer, as in the vendors' headers.
#if UINTPTR_MAX > 0xFFFFFFFFu
typedef uint64_t ViAttrState;
#else
typedef uint32_t ViAttrState;
#endif

// Completion and error codes.
constexpr ViStatus VI_SUCCESS = 0;
constexpr ViStatus VI_SUCCESS_TERM_CHAR = 0x3FFF0005;
constexpr ViStatus VI_SUCCESS_MAX_CNT = 0x3FFF0006;
constexpr ViStatus VI_ERROR_INV_OBJECT = static_cast<ViStatus>(0xBFFF000Eu);
constexpr ViStatus VI_ERROR_RSRC_NFOUND = static_cast<ViStatus>(0xBFFF0011u);
constexpr ViStatus VI_ERROR_INV_RSRC_NAME = static_cast<ViStatus>(0xBFFF0012u);
constexpr ViStatus VI_ERROR_TMO = static_cast<ViStatus>(0xBFFF0015u);
constexpr ViStatus VI_ERROR_NSUP_ATTR = static_cast<ViStatus>(0xBFFF001Du);
constexpr ViStatus VI_ERROR_NSUP_ATTR_STATE = static_cast<ViStatus>(0xBFFF001Eu);
constexpr ViStatus VI_ERROR_ATTR_READONLY = static_cast<ViStatus>(0xBFFF001Fu);
constexpr ViStatus VI_ERROR_IO = static_cast<ViStatus>(0xBFFF003Eu);
constexpr ViStatus VI_ERROR_LIBRARY_NFOUND = static_cast<ViStatus>(0xBFFF009Eu);

// Attributes.
constexpr ViAttr VI_ATTR_TERMCHAR = 0x3FFF0018;
constexpr ViAttr VI_ATTR_TMO_VALUE = 0x3FFF001A;
constexpr ViAttr VI_ATTR_GPIB_READDR_EN = 0x3FFF001B;
constexpr ViAttr VI_ATTR_ASRL_BAUD = 0x3FFF0021;
constexpr ViAttr VI_ATTR_ASRL_DATA_BITS = 0x3FFF0022;
constexpr ViAttr VI_ATTR_ASRL_PARITY = 0x3FFF0023;
constexpr ViAttr VI_ATTR_ASRL_STOP_BITS = 0x3FFF0024;
constexpr ViAttr VI_ATTR_ASRL_FLOW_CNTRL = 0x3FFF0025;
constexpr ViAttr VI_ATTR_TERMCHAR_EN = 0x3FFF0038;
constexpr ViAttr VI_ATTR_ASRL_END_IN = 0x3FFF00B3;
constexpr ViAttr VI_ATTR_INTF_TYPE = 0x3FFF0171;
constexpr ViAttr VI_ATTR_INTF_NUM = 0x3FFF0176;

// Attribute values.
constexpr ViUInt16 VI_INTF_GPIB = 1;
constexpr ViUInt16 VI_INTF_VXI = 2;
constexpr ViUInt16 VI_INTF_GPIB_VXI = 3;
constexpr ViUInt16 VI_INTF_ASRL = 4;
constexpr ViUInt16 VI_INTF_PXI = 5;
constexpr ViUInt16 VI_INTF_TCPIP = 6;
constexpr ViUInt16 VI_INTF_USB = 7;
constexpr ViUInt16 VI_ASRL_PAR_NONE = 0;
constexpr ViUInt16 VI_ASRL_STOP_ONE = 10;
constexpr ViUInt16 VI_ASRL_STOP_ONE5 = 15;
constexpr ViUInt16 VI_ASRL_STOP_TWO = 20;
constexpr ViUInt16 VI_ASRL_FLOW_NONE = 0;
constexpr ViUInt16 VI_ASRL_FLOW_XON_XOFF = 1;
constexpr ViUInt16 VI_ASRL_FLOW_RTS_CTS = 2;
constexpr ViUInt16 VI_ASRL_FLOW_DTR_DSR = 4;
constexpr ViUInt16 VI_ASRL_END_NONE = 0;
constexpr ViUInt16 VI_ASRL_END_LAST_BIT = 1;
constexpr ViUInt16 VI_ASRL_END_TERMCHAR = 2;
constexpr ViBoolean VI_FALSE = 0;
constexpr ViBoolean VI_TRUE = 1;
constexpr ViAccessMode VI_NO_LOCK = 0;

// The seven functions, with the signatures of the standard.
typedef ViStatus(ZVDS_VISA_CALL* ViOpenDefaultRMFn)(ViSession* rm);
typedef ViStatus(ZVDS_VISA_CALL* ViOpenFn)(ViSession rm, ViConstRsrc name, ViAccessMode mode,
                                           ViUInt32 timeout, ViSession* vi);
typedef ViStatus(ZVDS_VISA_CALL* ViCloseFn)(ViObject vi);
typedef ViStatus(ZVDS_VISA_CALL* ViGetAttributeFn)(ViObject vi, ViAttr attr, void* value);
typedef ViStatus(ZVDS_VISA_CALL* ViSetAttributeFn)(ViObject vi, ViAttr attr, ViAttrState value);
typedef ViStatus(ZVDS_VISA_CALL* ViReadFn)(ViSession vi, ViBuf buf, ViUInt32 count,
                                           ViUInt32* received);
typedef ViStatus(ZVDS_VISA_CALL* ViWriteFn)(ViSession vi, ViConstBuf buf, ViUInt32 count,
                                            ViUInt32* written);
