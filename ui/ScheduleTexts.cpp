#include "ui/ScheduleTexts.h"

#include <langinfo.h>

#include <cctype>
#include <ctime>

namespace tonilo {
namespace {

// Weekday index as struct tm counts it (0 Sunday) to the repeat-mask bit.
uint8_t BitOfTmWeekday(int weekday) {
    return static_cast<uint8_t>(weekday == 0 ? 64 : 1 << (weekday - 1));
}

// 0 Sunday .. 6 Saturday.
int FirstWeekday() {
#ifdef _NL_TIME_FIRST_WEEKDAY
    // glibc: 1 = the first day of the week-1stday base (a Sunday in every
    // locale it ships), so 1 is Sunday and 2 is Monday.
    int first = static_cast<unsigned char>(*nl_langinfo(_NL_TIME_FIRST_WEEKDAY));
    if (first >= 1 && first <= 7)
        return first - 1;
#endif
    return 0;
}

std::string Format(const char* format, const LocalTime& time) {
    std::tm fields{};
    fields.tm_year = time.year - 1900;
    fields.tm_mon = time.month - 1;
    fields.tm_mday = time.day;
    fields.tm_hour = time.hour;
    fields.tm_min = time.minute;
    fields.tm_sec = time.second;
    fields.tm_wday = WeekdayOf(time);
    char text[128];
    size_t size = std::strftime(text, sizeof(text), format, &fields);
    return std::string(text, size);
}

} // namespace

std::vector<WeekdayBox> LocaleWeekdayBoxes() {
    static const nl_item kDays[7] = {DAY_1, DAY_2, DAY_3, DAY_4, DAY_5, DAY_6, DAY_7};
    std::vector<WeekdayBox> boxes;
    int first = FirstWeekday();
    for (int offset = 0; offset < 7; ++offset) {
        int weekday = (first + offset) % 7;
        WeekdayBox box;
        box.label = nl_langinfo(kDays[weekday]);
        if (!box.label.empty())
            box.label[0] =
                static_cast<char>(std::toupper(static_cast<unsigned char>(box.label[0])));
        box.bit = BitOfTmWeekday(weekday);
        boxes.push_back(box);
    }
    return boxes;
}

std::string TimeFormatWithoutSeconds() {
    std::string format = nl_langinfo(T_FMT);
    for (const char* seconds : {"%S", "%OS"}) {
        size_t at = format.find(seconds);
        if (at == std::string::npos)
            continue;
        size_t from = at;
        // The separator before the seconds goes with them.
        while (from > 0 && format[from - 1] != 'M' && format[from - 1] != ' ')
            --from;
        format.erase(from, at + std::char_traits<char>::length(seconds) - from);
        break;
    }
    if (format == "%T")
        format = "%H:%M";
    if (format == "%r")
        format = "%I:%M %p";
    return format;
}

std::string EventTimeText(const ScheduleEvent& event) {
    static const nl_item kShortDays[7] = {ABDAY_1, ABDAY_2, ABDAY_3, ABDAY_4,
                                          ABDAY_5, ABDAY_6, ABDAY_7};
    std::string text = Format(TimeFormatWithoutSeconds().c_str(), event.start);
    if (event.repeat == kRepeatOnce)
        return text + ", " + Format(nl_langinfo(D_FMT), event.start);
    int first = FirstWeekday();
    for (int offset = 0; offset < 7; ++offset) {
        int weekday = (first + offset) % 7;
        if (event.repeat & BitOfTmWeekday(weekday))
            text += std::string(", ") + nl_langinfo(kShortDays[weekday]);
    }
    return text;
}

} // namespace tonilo
