// Direct3D 8 records and values for POSIX hosts, with the published layouts and
// values. The runtime behind them lives in platform/posix.
#pragma once

#include "platform/posix/Win32Api.h"

#define D3D_SDK_VERSION 220
#define D3DADAPTER_DEFAULT 0
#define MAX_DEVICE_IDENTIFIER_STRING 512

#define MAKEFOURCC(c0, c1, c2, c3) \
  ((DWORD)(BYTE)(c0) | ((DWORD)(BYTE)(c1) << 8) | ((DWORD)(BYTE)(c2) << 16) | ((DWORD)(BYTE)(c3) << 24))

typedef enum _D3DFORMAT {
  D3DFMT_UNKNOWN = 0,
  D3DFMT_R8G8B8 = 20,
  D3DFMT_A8R8G8B8 = 21,
  D3DFMT_X8R8G8B8 = 22,
  D3DFMT_R5G6B5 = 23,
  D3DFMT_X1R5G5B5 = 24,
  D3DFMT_A1R5G5B5 = 25,
  D3DFMT_A4R4G4B4 = 26,
  D3DFMT_R3G3B2 = 27,
  D3DFMT_A8 = 28,
  D3DFMT_A8R3G3B2 = 29,
  D3DFMT_X4R4G4B4 = 30,
  D3DFMT_A2B10G10R10 = 31,
  D3DFMT_G16R16 = 34,
  D3DFMT_A8P8 = 40,
  D3DFMT_P8 = 41,
  D3DFMT_L8 = 50,
  D3DFMT_A8L8 = 51,
  D3DFMT_A4L4 = 52,
  D3DFMT_V8U8 = 60,
  D3DFMT_L6V5U5 = 61,
  D3DFMT_X8L8V8U8 = 62,
  D3DFMT_Q8W8V8U8 = 63,
  D3DFMT_V16U16 = 64,
  D3DFMT_W11V11U10 = 65,
  D3DFMT_A2W10V10U10 = 67,
  D3DFMT_UYVY = MAKEFOURCC('U', 'Y', 'V', 'Y'),
  D3DFMT_YUY2 = MAKEFOURCC('Y', 'U', 'Y', '2'),
  D3DFMT_DXT1 = MAKEFOURCC('D', 'X', 'T', '1'),
  D3DFMT_DXT2 = MAKEFOURCC('D', 'X', 'T', '2'),
  D3DFMT_DXT3 = MAKEFOURCC('D', 'X', 'T', '3'),
  D3DFMT_DXT4 = MAKEFOURCC('D', 'X', 'T', '4'),
  D3DFMT_DXT5 = MAKEFOURCC('D', 'X', 'T', '5'),
  D3DFMT_D16_LOCKABLE = 70,
  D3DFMT_D32 = 71,
  D3DFMT_D15S1 = 73,
  D3DFMT_D24S8 = 75,
  D3DFMT_D16 = 80,
  D3DFMT_D24X8 = 77,
  D3DFMT_D24X4S4 = 79,
  D3DFMT_VERTEXDATA = 100,
  D3DFMT_INDEX16 = 101,
  D3DFMT_INDEX32 = 102,
  D3DFMT_FORCE_DWORD = 0xFFFFFFFF
} D3DFORMAT;

typedef enum _D3DDEVTYPE {
  D3DDEVTYPE_HAL = 1,
  D3DDEVTYPE_REF = 2,
  D3DDEVTYPE_SW = 3,
  D3DDEVTYPE_FORCE_DWORD = 0xffffffff
} D3DDEVTYPE;

typedef enum _D3DMULTISAMPLE_TYPE {
  D3DMULTISAMPLE_NONE = 0,
  D3DMULTISAMPLE_2_SAMPLES = 2,
  D3DMULTISAMPLE_3_SAMPLES = 3,
  D3DMULTISAMPLE_4_SAMPLES = 4,
  D3DMULTISAMPLE_5_SAMPLES = 5,
  D3DMULTISAMPLE_6_SAMPLES = 6,
  D3DMULTISAMPLE_7_SAMPLES = 7,
  D3DMULTISAMPLE_8_SAMPLES = 8,
  D3DMULTISAMPLE_9_SAMPLES = 9,
  D3DMULTISAMPLE_10_SAMPLES = 10,
  D3DMULTISAMPLE_11_SAMPLES = 11,
  D3DMULTISAMPLE_12_SAMPLES = 12,
  D3DMULTISAMPLE_13_SAMPLES = 13,
  D3DMULTISAMPLE_14_SAMPLES = 14,
  D3DMULTISAMPLE_15_SAMPLES = 15,
  D3DMULTISAMPLE_16_SAMPLES = 16,
  D3DMULTISAMPLE_FORCE_DWORD = 0x7fffffff
} D3DMULTISAMPLE_TYPE;

typedef enum _D3DRESOURCETYPE {
  D3DRTYPE_SURFACE = 1,
  D3DRTYPE_VOLUME = 2,
  D3DRTYPE_TEXTURE = 3,
  D3DRTYPE_VOLUMETEXTURE = 4,
  D3DRTYPE_CUBETEXTURE = 5,
  D3DRTYPE_VERTEXBUFFER = 6,
  D3DRTYPE_INDEXBUFFER = 7,
  D3DRTYPE_FORCE_DWORD = 0x7fffffff
} D3DRESOURCETYPE;

typedef enum _D3DSWAPEFFECT {
  D3DSWAPEFFECT_DISCARD = 1,
  D3DSWAPEFFECT_FLIP = 2,
  D3DSWAPEFFECT_COPY = 3,
  D3DSWAPEFFECT_COPY_VSYNC = 4,
  D3DSWAPEFFECT_FORCE_DWORD = 0xFFFFFFFF
} D3DSWAPEFFECT;

typedef enum _D3DPOOL {
  D3DPOOL_DEFAULT = 0,
  D3DPOOL_MANAGED = 1,
  D3DPOOL_SYSTEMMEM = 2,
  D3DPOOL_SCRATCH = 3,
  D3DPOOL_FORCE_DWORD = 0x7fffffff
} D3DPOOL;

#define D3DUSAGE_RENDERTARGET 0x01
#define D3DUSAGE_DEPTHSTENCIL 0x02
#define D3DUSAGE_WRITEONLY 0x08
#define D3DUSAGE_SOFTWAREPROCESSING 0x10
#define D3DUSAGE_DONOTCLIP 0x20
#define D3DUSAGE_POINTS 0x40
#define D3DUSAGE_RTPATCHES 0x80
#define D3DUSAGE_NPATCHES 0x100
#define D3DUSAGE_DYNAMIC 0x200

#define D3DLOCK_READONLY 0x0010
#define D3DLOCK_NOSYSLOCK 0x0800
#define D3DLOCK_NOOVERWRITE 0x1000
#define D3DLOCK_DISCARD 0x2000
#define D3DLOCK_NO_DIRTY_UPDATE 0x8000

#define D3DENUM_NO_WHQL_LEVEL 0x00000002

typedef struct _D3DADAPTER_IDENTIFIER8 {
  char Driver[MAX_DEVICE_IDENTIFIER_STRING];
  char Description[MAX_DEVICE_IDENTIFIER_STRING];
  LARGE_INTEGER DriverVersion;
  DWORD VendorId;
  DWORD DeviceId;
  DWORD SubSysId;
  DWORD Revision;
  GUID DeviceIdentifier;
  DWORD WHQLLevel;
} D3DADAPTER_IDENTIFIER8;

typedef struct _D3DDISPLAYMODE {
  UINT Width;
  UINT Height;
  UINT RefreshRate;
  D3DFORMAT Format;
} D3DDISPLAYMODE;

typedef struct _D3DPRESENT_PARAMETERS_ {
  UINT BackBufferWidth;
  UINT BackBufferHeight;
  D3DFORMAT BackBufferFormat;
  UINT BackBufferCount;
  D3DMULTISAMPLE_TYPE MultiSampleType;
  D3DSWAPEFFECT SwapEffect;
  HWND hDeviceWindow;
  BOOL Windowed;
  BOOL EnableAutoDepthStencil;
  D3DFORMAT AutoDepthStencilFormat;
  DWORD Flags;
  UINT FullScreen_RefreshRateInHz;
  UINT FullScreen_PresentationInterval;
} D3DPRESENT_PARAMETERS;

typedef struct _D3DCAPS8 {
  D3DDEVTYPE DeviceType;
  UINT AdapterOrdinal;
  DWORD Caps;
  DWORD Caps2;
  DWORD Caps3;
  DWORD PresentationIntervals;
  DWORD CursorCaps;
  DWORD DevCaps;
  DWORD PrimitiveMiscCaps;
  DWORD RasterCaps;
  DWORD ZCmpCaps;
  DWORD SrcBlendCaps;
  DWORD DestBlendCaps;
  DWORD AlphaCmpCaps;
  DWORD ShadeCaps;
  DWORD TextureCaps;
  DWORD TextureFilterCaps;
  DWORD CubeTextureFilterCaps;
  DWORD VolumeTextureFilterCaps;
  DWORD TextureAddressCaps;
  DWORD VolumeTextureAddressCaps;
  DWORD LineCaps;
  DWORD MaxTextureWidth;
  DWORD MaxTextureHeight;
  DWORD MaxVolumeExtent;
  DWORD MaxTextureRepeat;
  DWORD MaxTextureAspectRatio;
  DWORD MaxAnisotropy;
  float MaxVertexW;
  float GuardBandLeft;
  float GuardBandTop;
  float GuardBandRight;
  float GuardBandBottom;
  float ExtentsAdjust;
  DWORD StencilCaps;
  DWORD FVFCaps;
  DWORD TextureOpCaps;
  DWORD MaxTextureBlendStages;
  DWORD MaxSimultaneousTextures;
  DWORD VertexProcessingCaps;
  DWORD MaxActiveLights;
  DWORD MaxUserClipPlanes;
  DWORD MaxVertexBlendMatrices;
  DWORD MaxVertexBlendMatrixIndex;
  float MaxPointSize;
  DWORD MaxPrimitiveCount;
  DWORD MaxVertexIndex;
  DWORD MaxStreams;
  DWORD MaxStreamStride;
  DWORD VertexShaderVersion;
  DWORD MaxVertexShaderConst;
  DWORD PixelShaderVersion;
  float MaxPixelShaderValue;
} D3DCAPS8;

typedef struct _D3DDEVICE_CREATION_PARAMETERS {
  UINT AdapterOrdinal;
  D3DDEVTYPE DeviceType;
  HWND hFocusWindow;
  DWORD BehaviorFlags;
} D3DDEVICE_CREATION_PARAMETERS;

#define D3DCREATE_FPU_PRESERVE 0x00000002L
#define D3DCREATE_MULTITHREADED 0x00000004L
#define D3DCREATE_PUREDEVICE 0x00000010L
#define D3DCREATE_SOFTWARE_VERTEXPROCESSING 0x00000020L
#define D3DCREATE_HARDWARE_VERTEXPROCESSING 0x00000040L
#define D3DCREATE_MIXED_VERTEXPROCESSING 0x00000080L

#define D3DDEVCAPS_HWTRANSFORMANDLIGHT 0x00010000L

#define D3DPRESENT_INTERVAL_DEFAULT 0x00000000L
#define D3DPRESENT_INTERVAL_ONE 0x00000001L
#define D3DPRESENT_INTERVAL_TWO 0x00000002L
#define D3DPRESENT_INTERVAL_THREE 0x00000004L
#define D3DPRESENT_INTERVAL_FOUR 0x00000008L
#define D3DPRESENT_INTERVAL_IMMEDIATE 0x80000000L
#define D3DPRESENT_RATE_DEFAULT 0x00000000

// Render states and their values; the numbers are the published ones.
typedef enum _D3DRENDERSTATETYPE {
  D3DRS_ZENABLE = 7,
  D3DRS_FILLMODE = 8,
  D3DRS_SHADEMODE = 9,
  D3DRS_ZWRITEENABLE = 14,
  D3DRS_ALPHATESTENABLE = 15,
  D3DRS_SRCBLEND = 19,
  D3DRS_DESTBLEND = 20,
  D3DRS_CULLMODE = 22,
  D3DRS_ZFUNC = 23,
  D3DRS_ALPHAREF = 24,
  D3DRS_ALPHAFUNC = 25,
  D3DRS_DITHERENABLE = 26,
  D3DRS_ALPHABLENDENABLE = 27,
  D3DRS_FOGENABLE = 28,
  D3DRS_FOGCOLOR = 34,
  D3DRS_FOGTABLEMODE = 35,
  D3DRS_FOGSTART = 36,
  D3DRS_FOGEND = 37,
  D3DRS_FOGDENSITY = 38,
  D3DRS_RANGEFOGENABLE = 48,
  D3DRS_LIGHTING = 137,
  D3DRS_FOGVERTEXMODE = 140,
  D3DRS_BLENDOP = 171,
  D3DRS_NORMALORDER = 173,
  D3DRS_FORCE_DWORD = 0x7fffffff
} D3DRENDERSTATETYPE;

typedef enum _D3DFOGMODE {
  D3DFOG_NONE = 0,
  D3DFOG_EXP = 1,
  D3DFOG_EXP2 = 2,
  D3DFOG_LINEAR = 3,
  D3DFOG_FORCE_DWORD = 0x7fffffff
} D3DFOGMODE;

typedef enum _D3DBLEND {
  D3DBLEND_ZERO = 1,
  D3DBLEND_ONE = 2,
  D3DBLEND_SRCCOLOR = 3,
  D3DBLEND_INVSRCCOLOR = 4,
  D3DBLEND_SRCALPHA = 5,
  D3DBLEND_INVSRCALPHA = 6,
  D3DBLEND_DESTALPHA = 7,
  D3DBLEND_INVDESTALPHA = 8,
  D3DBLEND_DESTCOLOR = 9,
  D3DBLEND_INVDESTCOLOR = 10,
  D3DBLEND_SRCALPHASAT = 11,
  D3DBLEND_BOTHSRCALPHA = 12,
  D3DBLEND_BOTHINVSRCALPHA = 13,
  D3DBLEND_FORCE_DWORD = 0x7fffffff
} D3DBLEND;

typedef enum _D3DBLENDOP {
  D3DBLENDOP_ADD = 1,
  D3DBLENDOP_SUBTRACT = 2,
  D3DBLENDOP_REVSUBTRACT = 3,
  D3DBLENDOP_MIN = 4,
  D3DBLENDOP_MAX = 5,
  D3DBLENDOP_FORCE_DWORD = 0x7fffffff
} D3DBLENDOP;

typedef enum _D3DSTATEBLOCKTYPE {
  D3DSBT_ALL = 1,
  D3DSBT_PIXELSTATE = 2,
  D3DSBT_VERTEXSTATE = 3,
  D3DSBT_FORCE_DWORD = 0xffffffff
} D3DSTATEBLOCKTYPE;

typedef DWORD D3DCOLOR;

typedef struct _D3DVERTEXBUFFER_DESC {
  D3DFORMAT Format;
  D3DRESOURCETYPE Type;
  DWORD Usage;
  D3DPOOL Pool;
  UINT Size;
  DWORD FVF;
} D3DVERTEXBUFFER_DESC;

// Kinds and records of calls the framework never makes. They keep the
// device's interface in its published shape; the records are only named.
typedef enum _D3DBACKBUFFER_TYPE {
  D3DBACKBUFFER_TYPE_MONO = 0,
  D3DBACKBUFFER_TYPE_FORCE_DWORD = 0x7fffffff
} D3DBACKBUFFER_TYPE;
typedef enum _D3DTRANSFORMSTATETYPE { D3DTS_FORCE_DWORD = 0x7fffffff } D3DTRANSFORMSTATETYPE;
typedef enum _D3DTEXTURESTAGESTATETYPE { D3DTSS_FORCE_DWORD = 0x7fffffff } D3DTEXTURESTAGESTATETYPE;
typedef enum _D3DPRIMITIVETYPE {
  D3DPT_POINTLIST = 1,
  D3DPT_LINELIST = 2,
  D3DPT_LINESTRIP = 3,
  D3DPT_TRIANGLELIST = 4,
  D3DPT_TRIANGLESTRIP = 5,
  D3DPT_TRIANGLEFAN = 6,
  D3DPT_FORCE_DWORD = 0x7fffffff
} D3DPRIMITIVETYPE;
typedef struct _D3DRASTER_STATUS D3DRASTER_STATUS;
typedef struct _D3DGAMMARAMP D3DGAMMARAMP;
typedef struct _D3DRECT D3DRECT;
typedef struct _D3DMATRIX D3DMATRIX;
typedef struct _D3DVIEWPORT8 D3DVIEWPORT8;
typedef struct _D3DMATERIAL8 D3DMATERIAL8;
typedef struct _D3DLIGHT8 D3DLIGHT8;
typedef struct _D3DCLIPSTATUS8 D3DCLIPSTATUS8;
typedef struct _D3DRECTPATCH_INFO D3DRECTPATCH_INFO;
typedef struct _D3DTRIPATCH_INFO D3DTRIPATCH_INFO;
struct IDirect3DSurface8;
struct IDirect3DSwapChain8;
struct IDirect3DBaseTexture8;
struct IDirect3DTexture8;
struct IDirect3DVolumeTexture8;
struct IDirect3DCubeTexture8;
struct IDirect3DIndexBuffer8;

#define _FACD3D 0x876
#define MAKE_D3DHRESULT(code) MAKE_HRESULT(1, _FACD3D, code)
#define D3D_OK S_OK
#define D3DERR_WRONGTEXTUREFORMAT MAKE_D3DHRESULT(2072)
#define D3DERR_UNSUPPORTEDCOLOROPERATION MAKE_D3DHRESULT(2073)
#define D3DERR_UNSUPPORTEDCOLORARG MAKE_D3DHRESULT(2074)
#define D3DERR_UNSUPPORTEDALPHAOPERATION MAKE_D3DHRESULT(2075)
#define D3DERR_UNSUPPORTEDALPHAARG MAKE_D3DHRESULT(2076)
#define D3DERR_TOOMANYOPERATIONS MAKE_D3DHRESULT(2077)
#define D3DERR_CONFLICTINGTEXTUREFILTER MAKE_D3DHRESULT(2078)
#define D3DERR_UNSUPPORTEDFACTORVALUE MAKE_D3DHRESULT(2079)
#define D3DERR_CONFLICTINGRENDERSTATE MAKE_D3DHRESULT(2081)
#define D3DERR_UNSUPPORTEDTEXTUREFILTER MAKE_D3DHRESULT(2082)
#define D3DERR_CONFLICTINGTEXTUREPALETTE MAKE_D3DHRESULT(2086)
#define D3DERR_DRIVERINTERNALERROR MAKE_D3DHRESULT(2087)
#define D3DERR_NOTFOUND MAKE_D3DHRESULT(2150)
#define D3DERR_MOREDATA MAKE_D3DHRESULT(2151)
#define D3DERR_DEVICELOST MAKE_D3DHRESULT(2152)
#define D3DERR_DEVICENOTRESET MAKE_D3DHRESULT(2153)
#define D3DERR_NOTAVAILABLE MAKE_D3DHRESULT(2154)
#define D3DERR_OUTOFVIDEOMEMORY MAKE_D3DHRESULT(380)
#define D3DERR_INVALIDDEVICE MAKE_D3DHRESULT(2155)
#define D3DERR_INVALIDCALL MAKE_D3DHRESULT(2156)
#define D3DERR_DRIVERINVALIDCALL MAKE_D3DHRESULT(2157)

struct IDirect3DDevice8;

struct IDirect3D8 : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE RegisterSoftwareDevice(void* initializeFunction) = 0;
  virtual UINT STDMETHODCALLTYPE GetAdapterCount() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetAdapterIdentifier(UINT adapter, DWORD flags,
                                                         D3DADAPTER_IDENTIFIER8* identifier) = 0;
  virtual UINT STDMETHODCALLTYPE GetAdapterModeCount(UINT adapter) = 0;
  virtual HRESULT STDMETHODCALLTYPE EnumAdapterModes(UINT adapter, UINT mode,
                                                     D3DDISPLAYMODE* displayMode) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode) = 0;
  virtual HRESULT STDMETHODCALLTYPE CheckDeviceType(UINT adapter, D3DDEVTYPE checkType,
                                                    D3DFORMAT displayFormat, D3DFORMAT backBufferFormat,
                                                    BOOL windowed) = 0;
  virtual HRESULT STDMETHODCALLTYPE CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType,
                                                      D3DFORMAT adapterFormat, DWORD usage,
                                                      D3DRESOURCETYPE resourceType,
                                                      D3DFORMAT checkFormat) = 0;
  virtual HRESULT STDMETHODCALLTYPE CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE deviceType,
                                                               D3DFORMAT surfaceFormat, BOOL windowed,
                                                               D3DMULTISAMPLE_TYPE multiSampleType) = 0;
  virtual HRESULT STDMETHODCALLTYPE CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE deviceType,
                                                           D3DFORMAT adapterFormat,
                                                           D3DFORMAT renderTargetFormat,
                                                           D3DFORMAT depthStencilFormat) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS8* caps) = 0;
  virtual HMONITOR STDMETHODCALLTYPE GetAdapterMonitor(UINT adapter) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow,
                                                 DWORD behaviorFlags,
                                                 D3DPRESENT_PARAMETERS* presentationParameters,
                                                 IDirect3DDevice8** returnedDevice) = 0;
};

struct IDirect3DResource8 : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice8** device) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID guid, const void* data, DWORD size,
                                                   DWORD flags) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID guid, void* data, DWORD* size) = 0;
  virtual HRESULT STDMETHODCALLTYPE FreePrivateData(REFGUID guid) = 0;
  virtual DWORD STDMETHODCALLTYPE SetPriority(DWORD priority) = 0;
  virtual DWORD STDMETHODCALLTYPE GetPriority() = 0;
  virtual void STDMETHODCALLTYPE PreLoad() = 0;
  virtual D3DRESOURCETYPE STDMETHODCALLTYPE GetType() = 0;
};

struct IDirect3DVertexBuffer8 : public IDirect3DResource8 {
  virtual HRESULT STDMETHODCALLTYPE Lock(UINT offset, UINT size, BYTE** data, DWORD flags) = 0;
  virtual HRESULT STDMETHODCALLTYPE Unlock() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDesc(D3DVERTEXBUFFER_DESC* desc) = 0;
};

// The device, every method in the published order.
struct IDirect3DDevice8 : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE TestCooperativeLevel() = 0;
  virtual UINT STDMETHODCALLTYPE GetAvailableTextureMem() = 0;
  virtual HRESULT STDMETHODCALLTYPE ResourceManagerDiscardBytes(DWORD bytes) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDirect3D(IDirect3D8** direct3D) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDeviceCaps(D3DCAPS8* caps) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDisplayMode(D3DDISPLAYMODE* mode) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetCursorProperties(UINT x, UINT y, IDirect3DSurface8* bitmap) = 0;
  virtual void STDMETHODCALLTYPE SetCursorPosition(UINT x, UINT y, DWORD flags) = 0;
  virtual BOOL STDMETHODCALLTYPE ShowCursor(BOOL show) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS* parameters,
                                                              IDirect3DSwapChain8** swapChain) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reset(D3DPRESENT_PARAMETERS* parameters) = 0;
  virtual HRESULT STDMETHODCALLTYPE Present(const RECT* source, const RECT* destination, HWND window,
                                            const RGNDATA* dirtyRegion) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type,
                                                  IDirect3DSurface8** backBuffer) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetRasterStatus(D3DRASTER_STATUS* status) = 0;
  virtual void STDMETHODCALLTYPE SetGammaRamp(DWORD flags, const D3DGAMMARAMP* ramp) = 0;
  virtual void STDMETHODCALLTYPE GetGammaRamp(D3DGAMMARAMP* ramp) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                                  D3DFORMAT format, D3DPOOL pool,
                                                  IDirect3DTexture8** texture) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateVolumeTexture(UINT width, UINT height, UINT depth, UINT levels,
                                                        DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                                        IDirect3DVolumeTexture8** texture) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateCubeTexture(UINT edgeLength, UINT levels, DWORD usage,
                                                      D3DFORMAT format, D3DPOOL pool,
                                                      IDirect3DCubeTexture8** texture) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                                       IDirect3DVertexBuffer8** buffer) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format,
                                                      D3DPOOL pool, IDirect3DIndexBuffer8** buffer) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateRenderTarget(UINT width, UINT height, D3DFORMAT format,
                                                       D3DMULTISAMPLE_TYPE multiSample, BOOL lockable,
                                                       IDirect3DSurface8** surface) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                                              D3DMULTISAMPLE_TYPE multiSample,
                                                              IDirect3DSurface8** surface) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateImageSurface(UINT width, UINT height, D3DFORMAT format,
                                                       IDirect3DSurface8** surface) = 0;
  virtual HRESULT STDMETHODCALLTYPE CopyRects(IDirect3DSurface8* source, const RECT* sourceRects, UINT count,
                                              IDirect3DSurface8* destination,
                                              const POINT* destinationPoints) = 0;
  virtual HRESULT STDMETHODCALLTYPE UpdateTexture(IDirect3DBaseTexture8* source,
                                                  IDirect3DBaseTexture8* destination) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetFrontBuffer(IDirect3DSurface8* destination) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetRenderTarget(IDirect3DSurface8* renderTarget,
                                                    IDirect3DSurface8* depthStencil) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetRenderTarget(IDirect3DSurface8** renderTarget) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDepthStencilSurface(IDirect3DSurface8** depthStencil) = 0;
  virtual HRESULT STDMETHODCALLTYPE BeginScene() = 0;
  virtual HRESULT STDMETHODCALLTYPE EndScene() = 0;
  virtual HRESULT STDMETHODCALLTYPE Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color,
                                          float z, DWORD stencil) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) = 0;
  virtual HRESULT STDMETHODCALLTYPE MultiplyTransform(D3DTRANSFORMSTATETYPE state,
                                                      const D3DMATRIX* matrix) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetViewport(const D3DVIEWPORT8* viewport) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetViewport(D3DVIEWPORT8* viewport) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetMaterial(const D3DMATERIAL8* material) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetMaterial(D3DMATERIAL8* material) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetLight(DWORD index, const D3DLIGHT8* light) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetLight(DWORD index, D3DLIGHT8* light) = 0;
  virtual HRESULT STDMETHODCALLTYPE LightEnable(DWORD index, BOOL enable) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetLightEnable(DWORD index, BOOL* enable) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetClipPlane(DWORD index, const float* plane) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetClipPlane(DWORD index, float* plane) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE state, DWORD value) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE BeginStateBlock() = 0;
  virtual HRESULT STDMETHODCALLTYPE EndStateBlock(DWORD* token) = 0;
  virtual HRESULT STDMETHODCALLTYPE ApplyStateBlock(DWORD token) = 0;
  virtual HRESULT STDMETHODCALLTYPE CaptureStateBlock(DWORD token) = 0;
  virtual HRESULT STDMETHODCALLTYPE DeleteStateBlock(DWORD token) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateStateBlock(D3DSTATEBLOCKTYPE type, DWORD* token) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetClipStatus(const D3DCLIPSTATUS8* status) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetClipStatus(D3DCLIPSTATUS8* status) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetTexture(DWORD stage, IDirect3DBaseTexture8** texture) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                                         DWORD* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                                         DWORD value) = 0;
  virtual HRESULT STDMETHODCALLTYPE ValidateDevice(DWORD* passes) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetInfo(DWORD id, void* info, DWORD size) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetPaletteEntries(UINT palette, const PALETTEENTRY* entries) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPaletteEntries(UINT palette, PALETTEENTRY* entries) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetCurrentTexturePalette(UINT palette) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCurrentTexturePalette(UINT* palette) = 0;
  virtual HRESULT STDMETHODCALLTYPE DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT count) = 0;
  virtual HRESULT STDMETHODCALLTYPE DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex,
                                                         UINT vertexCount, UINT startIndex, UINT count) = 0;
  virtual HRESULT STDMETHODCALLTYPE DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT count, const void* data,
                                                    UINT stride) = 0;
  virtual HRESULT STDMETHODCALLTYPE DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex,
                                                           UINT vertexCount, UINT count, const void* indices,
                                                           D3DFORMAT indexFormat, const void* data,
                                                           UINT stride) = 0;
  virtual HRESULT STDMETHODCALLTYPE ProcessVertices(UINT sourceStart, UINT destinationIndex, UINT count,
                                                    IDirect3DVertexBuffer8* destination, DWORD flags) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateVertexShader(const DWORD* declaration, const DWORD* function,
                                                       DWORD* handle, DWORD usage) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetVertexShader(DWORD handle) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetVertexShader(DWORD* handle) = 0;
  virtual HRESULT STDMETHODCALLTYPE DeleteVertexShader(DWORD handle) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetVertexShaderConstant(DWORD index, const void* data, DWORD count) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetVertexShaderConstant(DWORD index, void* data, DWORD count) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetVertexShaderDeclaration(DWORD handle, void* data, DWORD* size) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetVertexShaderFunction(DWORD handle, void* data, DWORD* size) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer,
                                                    UINT stride) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetStreamSource(UINT stream, IDirect3DVertexBuffer8** buffer,
                                                    UINT* stride) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertexIndex) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetIndices(IDirect3DIndexBuffer8** buffer, UINT* baseVertexIndex) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreatePixelShader(const DWORD* function, DWORD* handle) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetPixelShader(DWORD handle) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPixelShader(DWORD* handle) = 0;
  virtual HRESULT STDMETHODCALLTYPE DeletePixelShader(DWORD handle) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetPixelShaderConstant(DWORD index, const void* data, DWORD count) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPixelShaderConstant(DWORD index, void* data, DWORD count) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPixelShaderFunction(DWORD handle, void* data, DWORD* size) = 0;
  virtual HRESULT STDMETHODCALLTYPE DrawRectPatch(UINT handle, const float* segments,
                                                  const D3DRECTPATCH_INFO* info) = 0;
  virtual HRESULT STDMETHODCALLTYPE DrawTriPatch(UINT handle, const float* segments,
                                                 const D3DTRIPATCH_INFO* info) = 0;
  virtual HRESULT STDMETHODCALLTYPE DeletePatch(UINT handle) = 0;
};

IDirect3D8* WINAPI Direct3DCreate8(UINT sdkVersion);
