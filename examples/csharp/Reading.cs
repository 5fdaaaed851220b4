// The number in a value of a control's Text, on any regional setting: the instruments write
// "." as the decimal separator whatever Windows is set to, so the text is read with the
// invariant culture (double.Parse alone reads "+11357E-4" right but "1.0003E-2" as 10003E-2 on
// a PC set to German, where "." separates thousands).
using System.Globalization;

namespace Apparata.Examples
{
    public static class Reading
    {
        public static double Number(string value)
        {
            return double.Parse(value.Trim(), NumberStyles.Float, CultureInfo.InvariantCulture);
        }

        // " OVERLOAD" (B7-40/5), "OVERLOAD  " (E7-12): the instrument's range is exceeded.
        public static bool IsOverload(string value)
        {
            return value.Contains("OVERLOAD");
        }
    }
}
