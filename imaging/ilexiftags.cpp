#include "imaging/ilexiftags.h"

#include <cmath>
#include <cstdio>
#include <sstream>

#include "imaging/ilexifentry.h"

namespace {

using VT = ILExifValueText;
constexpr uint32_t kUnit = ILExifValueText::kUnitMarker;
constexpr uint32_t kEmpty = ILExifValueText::kEmptyMarker;

// ---- Display-text formatters ----------------------------------------------------

double Quotient(const ILExifEntry& e)
{
    return e.GetDoubleValue();
}

std::string Number(double value)
{
    std::ostringstream out;
    out << value;  // the stream's default notation: six significant digits
    return out.str();
}

// Builds prefix + text + suffix by appending (a plain operator+ chain trips a false
// warning of GCC 12 about overlapping copies).
std::string Join(const char* prefix, const std::string& text, const char* suffix = "")
{
    std::string out(prefix);
    out.append(text);
    out.append(suffix);
    return out;
}

std::string FormatDecimal(const ILExifEntry& e)
{
    return e.GetDenominator() == 0 ? e.GetValueText() : Number(Quotient(e));
}

std::string FormatFStop(const ILExifEntry& e)
{
    if (e.GetDenominator() == 0) {
        return e.GetValueText();
    }
    return Join("f", Number(std::floor(Quotient(e) * 10.0 + 0.5) / 10.0));
}

std::string FormatExposureTime(const ILExifEntry& e)
{
    const uint32_t num = e.GetNumerator();
    const uint32_t den = e.GetDenominator();
    if (den == 0) {
        return e.GetValueText();
    }
    if (den <= num) {
        return Number(Quotient(e));
    }
    if (num == 0 || num == 1) {
        return e.GetValueText();
    }
    return Join("1/", std::to_string(den / num));
}

std::string FormatShutterApex(const ILExifEntry& e)
{
    if (e.GetDenominator() == 0) {
        return e.GetValueText();
    }
    // Written out as a whole number however large: the stream's default notation would
    // turn 1/1048576 into an exponent.
    char speed[32];
    std::snprintf(speed, sizeof speed, "%.0f", std::floor(std::pow(2.0, Quotient(e)) + 0.5));
    return Join("1/", speed, " s");
}

std::string FormatApertureApex(const ILExifEntry& e)
{
    if (e.GetDenominator() == 0) {
        return e.GetValueText();
    }
    const double stop = std::pow(1.4142, Quotient(e));
    return Join("f", Number(std::floor(stop * 10.0 + 0.5) / 10.0));
}

// Tokens of the value text after the first ("{ 01 02 03 00 }" gives YCbCr).
std::string FormatComponents(const ILExifEntry& e)
{
    std::istringstream in(e.GetValueText());
    std::string token;
    std::string out;
    in >> token;
    for (int i = 0; i < 4 && in >> token; ++i) {
        if (token == "00") {
        } else if (token == "01") {
            out += "Y";
        } else if (token == "02") {
            out += "Cb";
        } else if (token == "03") {
            out += "Cr";
        } else if (token == "04") {
            out += "R";
        } else if (token == "05") {
            out += "G";
        } else if (token == "06") {
            out += "B";
        } else {
            out += Join(" ", token);
        }
    }
    return out;
}

std::string FormatImageNumber(const ILExifEntry& e)
{
    if (e.GetDenominator() == 0) {
        return e.GetValueText();
    }
    const int32_t value = e.GetIntegerValue();
    char text[32];
    std::snprintf(text, sizeof text, "%03d-%04d", value / 10000, value % 10000);
    return text;
}

std::string FormatSerialNumber(const ILExifEntry& e)
{
    if (e.GetDenominator() == 0) {
        return e.GetValueText();
    }
    const auto value = static_cast<uint32_t>(e.GetIntegerValue());
    char text[32];
    std::snprintf(text, sizeof text, "%04X%05u", value >> 16, value & 0xFFFF);
    return text;
}

std::string FormatFlashDetails(const ILExifEntry& e)
{
    if (e.GetDenominator() == 0) {
        return e.GetValueText();
    }
    const int32_t bits = e.GetIntegerValue();
    std::string out;
    if (bits & 0x4000) {
        out += "External E-TTL ";
    }
    if (bits & 0x2000) {
        out += "Internal Flash ";
    }
    if (bits & 0x800) {
        out += "FP sync used ";
    }
    if (bits & 0x10) {
        out += "FP sync enabled ";
    }
    return out;
}

std::string FormatFocusPoint(const ILExifEntry& e)
{
    if (e.GetDenominator() == 0) {
        return e.GetValueText();
    }
    const int32_t bits = e.GetIntegerValue();
    if ((bits & 0xF000) == 0) {
        return {};
    }
    switch (bits & 0xFFF) {
    case 0:
        return "Right";
    case 1:
        return "Centre";
    case 2:
        return "Left";
    default:
        return {};
    }
}

// ---- Value-text tables ------------------------------------------------------------

constexpr VT kEmptyTable[] = {{kEmpty, ""}, {0, nullptr}};
constexpr VT kUnitSeconds[] = {{kUnit, "s"}, {0, nullptr}};
constexpr VT kUnitMetres[] = {{kUnit, "m"}, {0, nullptr}};
constexpr VT kUnitMillimetres[] = {{kUnit, "mm"}, {0, nullptr}};
constexpr VT kUnitTimes[] = {{kUnit, "x"}, {0, nullptr}};
constexpr VT kOffOn[] = {{0, "Off"}, {1, "On"}, {0, nullptr}};
constexpr VT kDisableEnable[] = {{0, "Disable"}, {1, "Enable"}, {0, nullptr}};
constexpr VT kEnableDisable[] = {{0, "Enable"}, {1, "Disable"}, {0, nullptr}};

constexpr VT kResUnit[] = {{1, "no-unit"}, {2, "inch"}, {3, "cm"}, {0, nullptr}};
constexpr VT kFPResUnit[] = {{1, "inch"},        {2, "inch"},       {3, "centimeter"},
                             {4, "milimemeter"}, {5, "micrometer"}, {0, nullptr}};
constexpr VT kProg[] = {{1, "Manual"},   {2, "Program"},  {3, "Aperture priority"},
                        {4, "Shutter priority"},           {5, "Slow"},
                        {6, "Action"},   {7, "Portrait"}, {8, "Landscape"},
                        {0, nullptr}};
constexpr VT kBpp[] = {{1, "Basic"}, {2, "Normal"}, {3, "Fine"}, {4, "Fine"}, {0, nullptr}};
constexpr VT kMeter[] = {{0, "Unknown"},    {1, "Average"},       {2, "Center weighted"},
                         {3, "Spot"},       {4, "Multi-spot"},    {5, "Multi-segment"},
                         {6, "Partial"},    {255, "Other"},       {0, nullptr}};
constexpr VT kLights[] = {{0, "Unknown/cloudy"},    {1, "Daylight"},          {2, "Fluorescent"},
                          {3, "Tungsten"},          {10, "Flash"},            {17, "Standard light A"},
                          {18, "Standard light B"}, {19, "Standard light C"}, {20, "D55"},
                          {21, "D65"},              {22, "D75"},              {0, nullptr}};
constexpr VT kFlash[] = {{0, "No"}, {1, "Yes"}, {5, "Yes, no return detect"}, {7, "Yes, return detected"},
                         {9, "Yes"}, {16, "No forced"}, {0, nullptr}};
constexpr VT kColorSpace[] = {{1, "sRGB"}, {65535, "Uncalibrated"}, {0, nullptr}};
constexpr VT kSenseMethod[] = {{2, "1 chip color area"}, {0, nullptr}};
constexpr VT kFileSource[] = {{3, "Digital still camera"}, {0, nullptr}};
constexpr VT kSceneType[] = {{1, "Directly photographed"}, {0, nullptr}};

constexpr VT kNikon2Quality[] = {{1, "VGA Basic"},  {2, "VGA Normal"},  {3, "VGA Fine"},
                                 {4, "SXGA Basic"}, {5, "SXGA Normal"}, {6, "SXGA Fine"},
                                 {0, nullptr}};
constexpr VT kNikon2Color[] = {{1, "Color"}, {2, "Monochrome"}, {0, nullptr}};
constexpr VT kNikon2ImgAdjust[] = {{0, "Normal"},    {1, "Bright+"},   {2, "Bright-"},
                                   {3, "Contrast+"}, {4, "Contrast-"}, {0, nullptr}};
constexpr VT kNikon2CCDSens[] = {{0, "ISO80"}, {2, "ISO160"}, {4, "ISO320"}, {5, "ISO100"}, {0, nullptr}};
constexpr VT kNikon2WhiteBal[] = {{0, "Auto"},         {1, "Preset"}, {2, "Daylight"},
                                  {3, "Incandescence"}, {4, "Fluorescence"}, {5, "Cloudy"},
                                  {6, "SpeedLight"},   {0, nullptr}};
constexpr VT kNikon2Converter[] = {{0, "None"}, {1, "Fisheye"}, {0, nullptr}};

constexpr VT kOlyQuality[] = {{1, "SQ"}, {2, "HQ"}, {3, "SHQ"}, {0, nullptr}};
constexpr VT kOlyMacro[] = {{0, "Normal"}, {1, "Macro"}, {0, nullptr}};
constexpr VT kOlyFlash[] = {{0, "Auto"}, {1, "Red-eye reduction"}, {2, "Fill"}, {3, "Off"}, {0, nullptr}};
constexpr VT kOlySharp[] = {{0, "Normal"}, {1, "Hard"}, {2, "Soft"}, {0, nullptr}};

constexpr VT kCanonMacro[] = {{1, "Macro"}, {2, "Normal"}, {0, nullptr}};
constexpr VT kCanonFlash[] = {{0, "Not fired"},          {1, "Auto"},
                              {2, "On"},                 {3, "Red-eye reduction"},
                              {4, "Slow synchro"},       {5, "Auto + red-eye reduction"},
                              {6, "On + red-eye reduction"}, {16, "External flash"},
                              {0, nullptr}};
constexpr VT kCanonDrive[] = {{0, "Single"}, {1, "Continuous"}, {0, nullptr}};
constexpr VT kCanonFocus[] = {{0, "One-Shot"}, {1, "AI Servo"},   {2, "AI Focus"}, {3, "MF"},
                              {4, "Single"},   {5, "Continuous"}, {6, "MF"},       {0, nullptr}};
constexpr VT kCanonImgSize[] = {{0, "Large"}, {1, "Medium"}, {2, "Small"}, {0, nullptr}};
constexpr VT kCanonShoot[] = {{0, "Full Auto"},    {1, "Manual"},     {2, "Landscape"},
                              {3, "Fast Shutter"}, {4, "Slow Shutter"}, {5, "Night"},
                              {6, "B&W"},          {7, "Sepia"},      {8, "Portrait"},
                              {9, "Sports"},       {10, "Macro / Close-Up"}, {11, "Pan Focus"},
                              {0, nullptr}};
constexpr VT kCanonLowNormalHigh[] = {{0xFFFF, "Low"}, {0, "Normal"}, {1, "High"}, {0, nullptr}};
constexpr VT kCanonISO[] = {{0, "Not used"}, {15, "Auto"}, {16, "50"},  {17, "100"},
                            {18, "200"},     {19, "400"},  {0, nullptr}};
constexpr VT kCanonMetering[] = {{3, "Evaluative"}, {4, "Partial"}, {5, "Center-weighted"}, {0, nullptr}};
constexpr VT kCanonAFPoint[] = {{0x3000, "None (MF)"}, {0x3001, "Auto-selected"}, {0x3002, "Right"},
                                {0x3003, "Center"},    {0x3004, "Left"},          {0, nullptr}};
constexpr VT kCanonWhiteBal[] = {{0, "Auto"},        {1, "Sunny"}, {2, "Cloudy"}, {3, "Tungsten"},
                                 {4, "Flourescent"}, {5, "Flash"}, {6, "Custom"}, {0, nullptr}};
constexpr VT kCanonFlashBias[] = {{0xFFC0, "-2 EV"},    {0xFFCC, "-1.67 EV"}, {0xFFD0, "-1.50 EV"},
                                  {0xFFD4, "-1.33 EV"}, {0xFFE0, "-1 EV"},    {0xFFEC, "-0.67 EV"},
                                  {0xFFF0, "-0.50 EV"}, {0xFFF4, "-0.33 EV"}, {0x0000, "0 EV"},
                                  {0x000C, "0.33 EV"},  {0x0010, "0.50 EV"},  {0x0014, "0.67 EV"},
                                  {0x0020, "1 EV"},     {0x002C, "1.33 EV"},  {0x0030, "1.50 EV"},
                                  {0x0034, "1.67 EV"},  {0x0040, "2 EV"},     {0, nullptr}};

constexpr VT kCfnLock[] = {{0, "AF/AE lock"}, {1, "AE lock/AF"}, {2, "AF/AF lock"},
                           {3, "AE+release/AE+AF"}, {0, nullptr}};
constexpr VT kCfnTvAv[] = {{0, "1/2 stop"}, {1, "1/3 stop"}, {0, nullptr}};
constexpr VT kCfnAFAssist[] = {{0, "On (Auto)"}, {1, "Off"}, {0, nullptr}};
constexpr VT kCfnShuttAv[] = {{0, "Automatic"}, {1, "1/200 (fixed)"}, {0, nullptr}};
constexpr VT kCfnAEBSeq[] = {{0, "0,-,+ / Enabled"}, {1, "0,-,+ / Disabled"}, {2, "-,0,+ / Enabled"},
                             {3, "-,0,+ / Disabled"}, {0, nullptr}};
constexpr VT kCfnShuttSync[] = {{0, "1st-curtain sync"}, {1, "2nd-curtain sync"}, {0, nullptr}};
constexpr VT kCfnAFStop[] = {{0, "AF stop"}, {1, "Operate AF"}, {2, "Lock AE and start timer"}, {0, nullptr}};
constexpr VT kCfnMenuButt[] = {{0, "Top"}, {1, "Previous (volatile)"}, {2, "Previous"}, {0, nullptr}};
constexpr VT kCfnSetButt[] = {{0, "Not assigned"}, {1, "Change quality"}, {2, "Change ISO speed"},
                              {3, "Select parameters"}, {0, nullptr}};

constexpr VT kFujiSharpness[] = {{1, "Soft"}, {2, "Soft"}, {3, "Normal"}, {4, "Hard"}, {5, "Hard"},
                                 {0, nullptr}};
constexpr VT kFujiWhiteBal[] = {{0, "Auto"},
                                {256, "Daylight"},
                                {512, "Cloudy"},
                                {768, "DaylightColor-fluorescence"},
                                {769, "DaywhiteColor-fluorescence"},
                                {770, "White-fluorescence"},
                                {1024, "Incandescence"},
                                {3840, "Custom white balance"},
                                {0, nullptr}};
constexpr VT kFujiColor[] = {{0, "Normal"}, {256, "High"}, {512, "Low"}, {768, "Black & White"}, {0, nullptr}};
constexpr VT kFujiContrast[] = {{0, "Normal"}, {256, "High"}, {768, "Low"}, {0, nullptr}};
constexpr VT kFujiFlashMode[] = {{0, "Auto"}, {1, "On"}, {2, "Off"}, {3, "Red-eye reduction"}, {0, nullptr}};
constexpr VT kFujiFocus[] = {{0, "Auto"}, {1, "Manual"}, {0, nullptr}};
constexpr VT kFujiPicture[] = {{0, "Auto"},           {1, "Portrait"},
                               {2, "Landscape"},      {4, "Sports"},
                               {5, "Night"},          {6, "Program AE"},
                               {256, "Aperture priority AE"}, {512, "Shutter priority AE"},
                               {768, "Manual exposure"}, {0, nullptr}};
constexpr VT kFujiBlurWarn[] = {{0, "No blur warning"}, {1, "Blur warning"}, {0, nullptr}};
constexpr VT kFujiFocusWarn[] = {{0, "Auto Focus good"}, {1, "Out of focus"}, {0, nullptr}};
constexpr VT kFujiAEWarn[] = {{0, "AE good"}, {1, "Over exposure"}, {0, nullptr}};

constexpr VT kCasioRecordMode[] = {{1, "Single Shutter"}, {2, "Panorama"}, {3, "Night Scene"},
                                   {4, "Portrait"},       {5, "Landscape"}, {0, nullptr}};
constexpr VT kCasioQuality[] = {{1, "Economy"}, {2, "Normal"}, {3, "Fine"}, {0, nullptr}};
constexpr VT kCasioFocusMode[] = {{2, "Macro"}, {3, "Auto Focus"}, {4, "Manual Focus"}, {5, "Infinity"},
                                  {0, nullptr}};
constexpr VT kCasioFlashMode[] = {{1, "Auto"}, {2, "On"}, {3, "Off"}, {4, "Red Eye Reduction"}, {0, nullptr}};
constexpr VT kCasioFlashIntensity[] = {{11, "Weak"}, {13, "Normal"}, {15, "Strong"}, {0, nullptr}};
constexpr VT kCasioWhiteBal[] = {{1, "Auto"},        {2, "Tungsten"}, {3, "Daylight"},
                                 {4, "Flourescent"}, {5, "Shade"},    {129, "Manual"},
                                 {0, nullptr}};
constexpr VT kCasioDigZoom[] = {{65536, "Off"}, {65537, "2X"}, {131072, "2X"}, {262144, "4X"}, {0, nullptr}};
constexpr VT kCasioSharpness[] = {{0, "Normal"}, {1, "Soft"}, {2, "Hard"}, {0, nullptr}};
constexpr VT kCasioNormalLowHigh[] = {{0, "Normal"}, {1, "Low"}, {2, "High"}, {0, nullptr}};
constexpr VT kCasioCCDSense[] = {{64, "Normal"}, {80, "Normal"}, {100, "High"}, {125, "+1.0"},
                                 {244, "+3.0"},  {250, "+2.0"}, {0, nullptr}};
constexpr VT kCasioEnhancement[] = {{1, "Off"}, {2, "Red"}, {3, "Green"}, {4, "Blue"}, {5, "Flesh Tones"},
                                    {0, nullptr}};
constexpr VT kCasioFilter[] = {{1, "Off"},   {2, "Black & White"}, {3, "Sepia"},
                               {4, "Red"},   {5, "Green"},         {6, "Blue"},
                               {7, "Yellow"}, {8, "Pink"},         {9, "Purple"},
                               {0, nullptr}};
constexpr VT kCasioFocusFrame[] = {{0, "Top Left"},    {1, "Top Center"},    {2, "Top Right"},
                                   {3, "Center Left"}, {4, "Center"},        {5, "Center Right"},
                                   {6, "Bottom Left"}, {7, "Bottom Center"}, {8, "Bottom Right"},
                                   {9, "Scene S1"},    {10, "Scene S2"},     {0, nullptr}};
constexpr VT kCasioMeterMode[] = {{1, "Multi"}, {2, "Center weighted"}, {3, "Spot"}, {0, nullptr}};
constexpr VT kCasioEVShift[] = {{0xFFFFFFFA, "-2.0 EV"},  {0xFFFFFFFB, "-1.67 EV"}, {0xFFFFFFFC, "-1.33 EV"},
                                {0xFFFFFFFD, "-1.0 EV"},  {0xFFFFFFFE, "-0.67 EV"}, {0xFFFFFFFF, "-0.33 EV"},
                                {0, "0 EV"},              {1, "+0.33 EV"},          {2, "+0.67 EV"},
                                {3, "+1.0 EV"},           {4, "+1.33 EV"},          {5, "+1.67 EV"},
                                {6, "+2.0 EV"},           {0, nullptr}};
constexpr VT kCasioAperture[] = {{1, "f2.0"}, {2, "f2.3"}, {3, "f2.8"},  {4, "f4.0"},
                                 {5, "f5.6"}, {6, "f8.0"}, {15, "f8.0"}, {0, nullptr}};
constexpr VT kCasioRecordMode2[] = {{1, "Normal"}, {2, "Portrait"}, {3, "Landscape"}, {4, "Night Scene"},
                                    {0, nullptr}};
constexpr VT kCasioExpMode[] = {{0, "Program"}, {1, "Aperture priority"}, {2, "Shutter priority"},
                                {3, "Manual"},  {0, nullptr}};

// ---- Tag tables -------------------------------------------------------------------

constexpr ILExifTagDef kEnd = {0, nullptr, nullptr, nullptr, nullptr};

constexpr ILExifTagDef kMainTags[] = {
    {0x010E, "Desc", nullptr, nullptr, "Image Description"},
    {0x010F, "Make", nullptr, nullptr, "Camera Make"},
    {0x0110, "Model", nullptr, nullptr, "Camera Model"},
    {0x0112, "Ori", nullptr, nullptr, "Orientation"},
    {0x011A, "XRes", nullptr, nullptr, "X Resolution"},
    {0x011B, "YRes", nullptr, nullptr, "Y Resolution"},
    {0x0128, "ResUnit", kResUnit, nullptr, "Resolution Unit"},
    {0x0131, "Software", nullptr, nullptr, "Camera Software"},
    {0x0132, "ModTime", nullptr, nullptr, "Last Modification"},
    {0x013E, "WPoint", nullptr, nullptr, "White Point"},
    {0x013F, "PrimChr", nullptr, nullptr, "Primary Chromaticities"},
    {0x0211, "YCbCrCoef", nullptr, nullptr, "YCbCr Coefficients"},
    {0x0213, "YCbCrPos", nullptr, nullptr, "YCbCr Positioning"},
    {0x0214, "RefBW", nullptr, nullptr, "Reference Black/White point"},
    {0x8298, "Copy", nullptr, nullptr, "Copyright"},
    {0x8769, "ExifOffset", nullptr, nullptr, "Sub IFD Offset"},
    kEnd,
};

constexpr ILExifTagDef kSubTags[] = {
    {0x829A, "Shutter", kUnitSeconds, FormatExposureTime, "Exposure Time"},
    {0x829D, "FStop", nullptr, FormatFStop, "F-Stop"},
    {0x8822, "Prog", kProg, nullptr, "Program"},
    {0x8827, "Iso", nullptr, nullptr, "ISO Speed Rating"},
    {0x9000, "ExifVer", nullptr, nullptr, "Exif Version"},
    {0x9003, "OrigTime", nullptr, nullptr, "Original Time"},
    {0x9004, "DigTime", nullptr, nullptr, "Digitized Time"},
    {0x9101, "CompConfig", nullptr, FormatComponents, "Components Configuration"},
    {0x9102, "Bpp", kBpp, nullptr, "Average compression ratio"},
    {0x9201, "Shuttera", nullptr, FormatShutterApex, "Shutter Speed APEX"},
    {0x9202, "Aperturea", nullptr, FormatApertureApex, "Aperture APEX"},
    {0x9203, "Brighta", nullptr, FormatDecimal, "Brightness APEX"},
    {0x9204, "Expbiasa", nullptr, FormatDecimal, "Exposure Bias APEX"},
    {0x9205, "Maxapa", nullptr, FormatApertureApex, "Maximum Aperture APEX"},
    {0x9206, "Dist", kUnitMetres, FormatDecimal, "Subject Distance"},
    {0x9207, "Meter", kMeter, nullptr, "Metering Mode"},
    {0x9208, "Lights", kLights, nullptr, "Light Source"},
    {0x9209, "Flash", kFlash, nullptr, "Flash"},
    {0x920A, "Focal", kUnitMillimetres, FormatDecimal, "Focal Length"},
    {0x927C, "Maker", nullptr, nullptr, "Maker Note"},
    {0x9286, "User", nullptr, nullptr, "User Comment"},
    {0x9290, "STime", nullptr, nullptr, "Subsecond Time"},
    {0x9291, "SOrigTime", nullptr, nullptr, "Subsecond Original Time"},
    {0x9292, "SDigTime", nullptr, nullptr, "Subsecond Digitized Time"},
    {0xA000, "Flashpix", nullptr, nullptr, "Flash Pix Version"},
    {0xA001, "ColorSpace", kColorSpace, nullptr, "Color Space"},
    {0xA002, "Width", nullptr, nullptr, "Image Width"},
    {0xA003, "Height", nullptr, nullptr, "Image Height"},
    {0xA004, "SndFile", nullptr, nullptr, "Sound File"},
    {0xA005, "ExifIntOff", nullptr, nullptr, "Exif Interoperability Offset"},
    {0xA20E, "FPXRes", nullptr, FormatDecimal, "Focal Plane X Resolution"},
    {0xA20F, "FPYRes", nullptr, FormatDecimal, "Focal Plane Y Resolution"},
    {0xA210, "FPResUnit", kFPResUnit, nullptr, "Focal Plane Unit"},
    {0xA215, "ExpIndex", nullptr, FormatDecimal, "Exposure Index"},
    {0xA217, "SenseMethod", kSenseMethod, nullptr, "Sensing Method"},
    {0xA300, "FileSource", kFileSource, nullptr, "File Source"},
    {0xA301, "SceneType", kSceneType, nullptr, "Scene Type"},
    {0xA302, "CFAPat", nullptr, nullptr, "CFA Pattern"},
    kEnd,
};

constexpr ILExifTagDef kNikonTags[] = {
    {0x0002, "ISO", nullptr, nullptr, "Nikon ISO Setting"},
    {0x0003, "Color", kEmptyTable, nullptr, "Nikon Color Mode"},
    {0x0004, "Quality", kEmptyTable, nullptr, "Nikon Quality"},
    {0x0005, "WhiteBal", kEmptyTable, nullptr, "Nikon White Balance"},
    {0x0006, "Sharp", kEmptyTable, nullptr, "Nikon Image Sharpening"},
    {0x0007, "Focus", kEmptyTable, nullptr, "Nikon Focus Mode"},
    {0x0008, "Flash", kEmptyTable, nullptr, "Nikon Flash Setting"},
    {0x0009, "FlashMode", kEmptyTable, nullptr, "Nikon Flash Mode"},
    {0x000F, "ISOSel", kEmptyTable, nullptr, "Nikon ISO Selection"},
    {0x0080, "ImgAdjust", kEmptyTable, nullptr, "Nikon Image Adjustment"},
    {0x0082, "Adapter", kEmptyTable, nullptr, "Nikon Adapter Setting"},
    {0x0084, "Lens", kEmptyTable, nullptr, "Nikon Lens"},
    {0x0085, "ManFocus", kUnitMetres, FormatDecimal, "Nikon Manual Focus Distance"},
    {0x0086, "DigZoom", kUnitTimes, FormatDecimal, "Nikon Digital Zoom"},
    {0x0088, "AFPos", nullptr, nullptr, "Nikon AF Position"},
    kEnd,
};

constexpr ILExifTagDef kNikon2Tags[] = {
    {0x0002, "Unknown0002", nullptr, nullptr, "Nikon Unknown (0002)"},
    {0x0003, "Quality", kNikon2Quality, nullptr, "Nikon Quality"},
    {0x0004, "Color", kNikon2Color, nullptr, "Nikon Color Mode"},
    {0x0005, "ImgAdjust", kNikon2ImgAdjust, nullptr, "Nikon Image Adjustment"},
    {0x0006, "CCDSens", kNikon2CCDSens, nullptr, "Nikon CCD Sensitivity"},
    {0x0007, "WhiteBal", kNikon2WhiteBal, nullptr, "Nikon White Balance"},
    {0x0008, "Focus", nullptr, FormatDecimal, "Nikon Focus"},
    {0x0009, "Unknown0009", nullptr, nullptr, "Nikon Unknown (0009)"},
    {0x000A, "DigZoom", kUnitTimes, FormatDecimal, "Nikon Digital Zoom"},
    {0x000B, "Converter", kNikon2Converter, nullptr, "Nikon Converter"},
    {0x0F00, "Unknown0F00", nullptr, nullptr, "Nikon Unknown (0F00)"},
    kEnd,
};

constexpr ILExifTagDef kOlympusTags[] = {
    {0x0200, "SpcMode", nullptr, nullptr, "Olympus Special Mode"},
    {0x0201, "Quality", kOlyQuality, nullptr, "Olympus JPEG Quality"},
    {0x0202, "Macro", kOlyMacro, nullptr, "Olympus Macro"},
    {0x0204, "DigZoom", kUnitTimes, FormatDecimal, "Olympus Digital Zoom"},
    {0x0207, "Software", nullptr, nullptr, "Olympus Software Release"},
    {0x0209, "CameraID", nullptr, nullptr, "Olympus Camera ID"},
    {0x1004, "Flash", kOlyFlash, nullptr, "Olympus Flash Mode"},
    {0x100F, "Sharp", kOlySharp, nullptr, "Olympus Sharpness"},
    {0x102A, "SharpScale", nullptr, nullptr, "Olympus Sharpness Factor"},
    kEnd,
};

constexpr ILExifTagDef kCanonTags[] = {
    {0x0001, "CnSet1", nullptr, nullptr, "Canon Settings 1"},
    {0x0004, "CnSet2", nullptr, nullptr, "Canon Settings 2"},
    {0x0006, "ImageType", nullptr, nullptr, "Canon Image Type"},
    {0x0007, "Software", nullptr, nullptr, "Canon Firmware Version"},
    {0x0008, "ImageNo", nullptr, FormatImageNumber, "Canon Image Number"},
    {0x0009, "Owner", nullptr, nullptr, "Canon Owner Name"},
    {0x000C, "SerialNo", nullptr, FormatSerialNumber, "Canon Serial Number"},
    {0x000F, "CustomFnc", nullptr, nullptr, "Canon Custom Functions"},
    kEnd,
};

constexpr ILExifTagDef kCanonSet1Tags[] = {
    {0x0001, "Macro", kCanonMacro, nullptr, "Canon Macro Mode"},
    {0x0004, "Flash", kCanonFlash, nullptr, "Canon Flash Mode"},
    {0x0005, "Drive", kCanonDrive, nullptr, "Canon Drive Mode"},
    {0x0007, "Focus", kCanonFocus, nullptr, "Canon Focus Mode"},
    {0x000A, "ImgSize", kCanonImgSize, nullptr, "Canon Image Size"},
    {0x000B, "Shoot", kCanonShoot, nullptr, "Canon Easy Shooting Mode"},
    {0x000D, "Contrast", kCanonLowNormalHigh, nullptr, "Canon Contrast"},
    {0x000E, "Saturation", kCanonLowNormalHigh, nullptr, "Canon Saturation"},
    {0x000F, "Sharpness", kCanonLowNormalHigh, nullptr, "Canon Sharpness"},
    {0x0010, "ISO", kCanonISO, nullptr, "Canon ISO"},
    {0x0011, "Metering", kCanonMetering, nullptr, "Canon Metering Mode"},
    {0x0013, "AFPoint", kCanonAFPoint, nullptr, "Canon AF Point"},
    {0x0014, "ExpMode", nullptr, nullptr, "Canon Exposure Mode"},
    {0x0017, "LongFocal", nullptr, nullptr, "Canon Long Focal Length"},
    {0x0018, "ShortFocal", nullptr, nullptr, "Canon Short Focal Length"},
    {0x0019, "FocalUnits", nullptr, nullptr, "Canon Focal Units"},
    {0x001D, "FlashDet", nullptr, FormatFlashDetails, "Canon Flash Details"},
    {0x0020, "FocusMode", nullptr, nullptr, "Canon Focus Mode"},
    kEnd,
};

constexpr ILExifTagDef kCanonSet2Tags[] = {
    {0x0007, "WhiteBal", kCanonWhiteBal, nullptr, "Canon White Balance"},
    {0x0009, "SeqNo", nullptr, nullptr, "Canon Sequence Number"},
    {0x000E, "AF Point", nullptr, FormatFocusPoint, "Canon AF Point used"},
    {0x000F, "FlashBias", kCanonFlashBias, nullptr, "Canon Flash Bias"},
    {0x0013, "SubjectDist", nullptr, nullptr, "Canon Subject Distance"},
    kEnd,
};

constexpr ILExifTagDef kCanonCustomTags[] = {
    {0x0001, "NoiseRed", kOffOn, nullptr, "Canon CFn 01 Long exp noise reduction"},
    {0x0002, "Lock", kCfnLock, nullptr, "Canon CFn 02 Shutter AE lock button"},
    {0x0003, "MirrorLock", kDisableEnable, nullptr, "Canon CFn 03 Mirror lockup"},
    {0x0004, "TVAVexp", kCfnTvAv, nullptr, "Canon CFn 04 Tv/Av and exposure level"},
    {0x0005, "AFassist", kCfnAFAssist, nullptr, "Canon CFn 05 AF assist light"},
    {0x0006, "ShuttAv", kCfnShuttAv, nullptr, "Canon CFn 06 Shutter speed in Av mode"},
    {0x0007, "AEBSeq", kCfnAEBSeq, nullptr, "Canon CFn 07 AEB sequence/auto cancel"},
    {0x0008, "ShuttSync", kCfnShuttSync, nullptr, "Canon CFn 08 Shutter curtain sync"},
    {0x0009, "AFStop", kCfnAFStop, nullptr, "Canon CFn 09 Lens AF stop button"},
    {0x000A, "FillReduce", kEnableDisable, nullptr, "Canon CFn 10 Fill flash auto reduction"},
    {0x000B, "MenuButt", kCfnMenuButt, nullptr, "Canon CFn 11 Menu button return position"},
    {0x000C, "SetButt", kCfnSetButt, nullptr, "Canon CFn 12 SET button function"},
    {0x000D, "SensClean", kDisableEnable, nullptr, "Canon CFn 13 Sensor cleaning"},
    kEnd,
};

constexpr ILExifTagDef kFujiTags[] = {
    {0x0000, "Version", nullptr, nullptr, "Fuji Note Version"},
    {0x1000, "Quality", kEmptyTable, nullptr, "Fuji Quality"},
    {0x1001, "Sharpness", kFujiSharpness, nullptr, "Fuji Sharpness"},
    {0x1002, "WhiteBal", kFujiWhiteBal, nullptr, "Fuji White Balance"},
    {0x1003, "Color", kFujiColor, nullptr, "Fuji Color Saturation"},
    {0x1004, "Contrast", kFujiContrast, nullptr, "Fuji Contrast"},
    {0x1010, "FlashMode", kFujiFlashMode, nullptr, "Fuji Flash Mode"},
    {0x1011, "FlashStrg", nullptr, FormatDecimal, "Fuji Flash Strength"},
    {0x1020, "Macro", kOffOn, nullptr, "Fuji Macro"},
    {0x1021, "Focus", kFujiFocus, nullptr, "Fuji Focus Mode"},
    {0x1022, "Unknown1022", nullptr, nullptr, "Fuji Unknown (1022)"},
    {0x1023, "Unknown1023", nullptr, nullptr, "Fuji Unknown (1023)"},
    {0x1030, "SlowSnyc", kOffOn, nullptr, "Fuji Slow Synchro"},
    {0x1031, "Picture", kFujiPicture, nullptr, "Fuji Picture Mode"},
    {0x1032, "Unknown1032", nullptr, nullptr, "Fuji Unknown (1032)"},
    {0x1100, "Sequence", kOffOn, nullptr, "Fuji Continuous/Bracketing"},
    {0x1101, "Unknown1101", nullptr, nullptr, "Fuji Unknown (1101)"},
    {0x1200, "Unknown1200", nullptr, nullptr, "Fuji Unknown (1200)"},
    {0x1300, "BlurWarn", kFujiBlurWarn, nullptr, "Fuji Blur Warning"},
    {0x1301, "FocusWarn", kFujiFocusWarn, nullptr, "Fuji Focus Warning"},
    {0x1302, "AEWarn", kFujiAEWarn, nullptr, "Fuji AE Warning"},
    kEnd,
};

constexpr ILExifTagDef kCasioTags[] = {
    {0x0001, "RecordMode", kCasioRecordMode, nullptr, "Casio Recording Mode"},
    {0x0002, "Quality", kCasioQuality, nullptr, "Casio Quality"},
    {0x0003, "FocusMode", kCasioFocusMode, nullptr, "Casio Focusing Mode"},
    {0x0004, "FlashMode", kCasioFlashMode, nullptr, "Casio Flash Mode"},
    {0x0005, "FlasIntense", kCasioFlashIntensity, nullptr, "Casio Flash Intensity"},
    {0x0006, "ObjDist", kUnitMillimetres, nullptr, "Casio Object Distance"},
    {0x0007, "WhiteBal", kCasioWhiteBal, nullptr, "Casio White Balance"},
    {0x0008, "Unknown0008", nullptr, nullptr, "Casio Unknown (0008)"},
    {0x0009, "Unknown0009", nullptr, nullptr, "Casio Unknown (0009)"},
    {0x000A, "DigZoom", kCasioDigZoom, nullptr, "Casio Digital Zoom"},
    {0x000B, "Sharpness", kCasioSharpness, nullptr, "Casio Sharpness"},
    {0x000C, "Contrast", kCasioNormalLowHigh, nullptr, "Casio Contrast"},
    {0x000D, "Saturation", kCasioNormalLowHigh, nullptr, "Casio Saturation"},
    {0x000E, "Unknown000E", nullptr, nullptr, "Casio Unknown (000E)"},
    {0x000F, "Unknown000F", nullptr, nullptr, "Casio Unknown (000F)"},
    {0x0010, "Unknown0010", nullptr, nullptr, "Casio Unknown (0010)"},
    {0x0011, "Unknown0011", nullptr, nullptr, "Casio Unknown (0011)"},
    {0x0012, "Unknown0012", nullptr, nullptr, "Casio Unknown (0012)"},
    {0x0013, "Unknown0013", nullptr, nullptr, "Casio Unknown (0013)"},
    {0x0014, "CCDSense", kCasioCCDSense, nullptr, "Casio CCD Sensitivity"},
    {0x0015, "Unknown0015", nullptr, nullptr, "Casio Unknown (0015)"},
    {0x0016, "Enhancement", kCasioEnhancement, nullptr, "Casio Enhancement"},
    {0x0017, "Filter", kCasioFilter, nullptr, "Casio Filter"},
    {0x0018, "FocFrmLoc", kCasioFocusFrame, nullptr, "Casio Focusing Frame Location"},
    {0x0019, "CCDSense", kCasioCCDSense, nullptr, "Casio CCD Sensitivity"},
    {0x001A, "Unknown001A", nullptr, nullptr, "Casio Unknown (001A)"},
    {0x0100, "MeterMode", kCasioMeterMode, nullptr, "Casio Metering Mode"},
    {0x0101, "EVShift", kCasioEVShift, nullptr, "Casio EV Shift"},
    {0x0102, "Unknown0102", nullptr, nullptr, "Casio Unknown (0102)"},
    {0x0103, "Aperture", kCasioAperture, nullptr, "Casio Aperture"},
    {0x0104, "RecordMode2", kCasioRecordMode2, nullptr, "Casio Recording Mode"},
    {0x0105, "Composition", kOffOn, nullptr, "Casio Composition Frame"},
    {0x0106, "ExpMode", kCasioExpMode, nullptr, "Casio Exposure Mode"},
    {0x0107, "Unknown0107", nullptr, nullptr, "Casio Unknown (0107)"},
    kEnd,
};

}  // namespace

const ILExifTagDef* ILExifGetTagTable(ILExifTable table)
{
    switch (table) {
    case ILExifTable::Main:
        return kMainTags;
    case ILExifTable::Sub:
        return kSubTags;
    case ILExifTable::Nikon:
        return kNikonTags;
    case ILExifTable::Nikon2:
        return kNikon2Tags;
    case ILExifTable::Olympus:
        return kOlympusTags;
    case ILExifTable::Canon:
        return kCanonTags;
    case ILExifTable::CanonSet1:
        return kCanonSet1Tags;
    case ILExifTable::CanonSet2:
        return kCanonSet2Tags;
    case ILExifTable::CanonCustom:
        return kCanonCustomTags;
    case ILExifTable::Fuji:
        return kFujiTags;
    case ILExifTable::Casio:
        return kCasioTags;
    }
    return kMainTags;
}

const ILExifTagDef* ILExifFindTag(const ILExifTagDef* table, uint32_t tag)
{
    for (const ILExifTagDef* row = table; row->shortName; ++row) {
        if (row->id == tag) {
            return row;
        }
    }
    return nullptr;
}
