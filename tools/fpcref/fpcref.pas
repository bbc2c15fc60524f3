{ Prints the reference table of the platform's formatting functions: each
  row is a function, a pattern or input, the result FreePascal's SysUtils
  gives, and the arguments.

  Columns (tab-separated): kind, pattern, result, arguments...
    result   "=" text            the function's result
             "!" class ": " text the exception raised
             "!false"            a Try... function failed
    argument i:N (Integer), j:N (Int64), m:N (Currency, scaled by 10000),
             s:text, c:char, p:hex (pointer),
             d:readable/HEX (a Double: readable form, then its IEEE bits;
             the bits are the value)
  Texts are escaped: \\ \t \r \n and \xHH for other control bytes.

  Every setting is fixed first so that the table does not depend on the
  machine's locale. Floating-point arguments are always Double variables:
  a literal would reach Format as an 80-bit Extended that no Double equals. }
program fpcref;

{$mode objfpc}{$H+}

uses SysUtils;

function Esc(const s: string): string;
var
  i: Integer;
  c: Char;
begin
  Result := '';
  for i := 1 to Length(s) do
  begin
    c := s[i];
    case c of
      '\': Result := Result + '\\';
      #9: Result := Result + '\t';
      #10: Result := Result + '\n';
      #13: Result := Result + '\r';
      #0..#8, #11, #12, #14..#31, #127..#255: Result := Result + '\x' + IntToHex(Ord(c), 2);
    else
      Result := Result + c;
    end;
  end;
end;

function DBits(d: Double): string;
var
  bits: Int64;
begin
  Move(d, bits, SizeOf(bits));
  Result := 'd:' + FloatToStrF(d, ffGeneral, 17, 0) + '/' + IntToHex(bits, 16);
end;

procedure Row(const kind, pattern, result, args: string);
begin
  Write(kind, #9, Esc(pattern), #9, result);
  if args <> '' then Write(#9, args);
  WriteLn;
end;

function ArgText(const a: TVarRec): string;
begin
  case a.VType of
    vtInteger: Result := 'i:' + IntToStr(a.VInteger);
    vtInt64: Result := 'j:' + IntToStr(a.VInt64^);
    vtExtended:
      begin
        if Extended(Double(a.VExtended^)) <> a.VExtended^ then
        begin
          WriteLn(StdErr, 'fpcref: a floating-point argument is not a Double');
          Halt(2);
        end;
        Result := DBits(a.VExtended^);
      end;
    vtCurrency: Result := 'm:' + IntToStr(PInt64(a.VCurrency)^);
    vtAnsiString: Result := 's:' + Esc(AnsiString(a.VAnsiString));
    vtChar: Result := 'c:' + Esc(a.VChar);
    vtPointer: Result := 'p:' + IntToHex(PtrUInt(a.VPointer), 16);
  else
    WriteLn(StdErr, 'fpcref: unsupported argument type ', a.VType);
    Halt(2);
  end;
end;

function ErrorText(E: Exception): string;
begin
  Result := '!' + E.ClassName + ': ' + Esc(E.Message);
end;

procedure Fmt(const pattern: string; const args: array of const);
var
  r, a: string;
  i: Integer;
begin
  a := '';
  for i := 0 to High(args) do
  begin
    if i > 0 then a := a + #9;
    a := a + ArgText(args[i]);
  end;
  try
    r := '=' + Esc(Format(pattern, args));
  except
    on E: Exception do r := ErrorText(E);
  end;
  Row('format', pattern, r, a);
end;

procedure FF(const pattern: string; v: Double);
var
  r: string;
begin
  try
    r := '=' + Esc(FormatFloat(pattern, v));
  except
    on E: Exception do r := ErrorText(E);
  end;
  Row('formatfloat', pattern, r, DBits(v));
end;

procedure FTS(v: Double);
begin
  Row('floattostr', '', '=' + Esc(FloatToStr(v)), DBits(v));
end;

procedure FDT(const pattern: string; v: TDateTime);
var
  r: string;
begin
  try
    r := '=' + Esc(FormatDateTime(pattern, v));
  except
    on E: Exception do r := ErrorText(E);
  end;
  Row('formatdatetime', pattern, r, DBits(v));
end;

procedure DecodeRow(v: TDateTime);
var
  y, m, d, h, n, s, ms: Word;
begin
  DecodeDate(v, y, m, d);
  DecodeTime(v, h, n, s, ms);
  Row('decode', '', '=' + Format('%d-%d-%d %d:%d:%d.%d %d', [y, m, d, h, n, s, ms, DayOfWeek(v)]),
    DBits(v));
end;

procedure EncodeDateRow(y, m, d: Integer);
var
  v: TDateTime;
begin
  if TryEncodeDate(y, m, d, v) then
    Row('encodedate', '', '=' + DBits(v), Format('i:%d'#9'i:%d'#9'i:%d', [y, m, d]))
  else
    Row('encodedate', '', '!false', Format('i:%d'#9'i:%d'#9'i:%d', [y, m, d]));
end;

procedure EncodeTimeRow(h, n, s, ms: Integer);
var
  v: TDateTime;
  a: string;
begin
  a := Format('i:%d'#9'i:%d'#9'i:%d'#9'i:%d', [h, n, s, ms]);
  if TryEncodeTime(h, n, s, ms, v) then
    Row('encodetime', '', '=' + DBits(v), a)
  else
    Row('encodetime', '', '!false', a);
end;

procedure StrToIntRow(const text: string);
var
  v: Integer;
  v64: Int64;
begin
  if TryStrToInt(text, v) then
    Row('strtoint', text, '=' + IntToStr(v), '')
  else
    Row('strtoint', text, '!false', '');
  if TryStrToInt64(text, v64) then
    Row('strtoint64', text, '=' + IntToStr(v64), '')
  else
    Row('strtoint64', text, '!false', '');
end;

procedure StrToFloatRow(const text: string);
var
  v: Double;
begin
  if TryStrToFloat(text, v) then
    Row('strtofloat', text, '=' + DBits(v), '')
  else
    Row('strtofloat', text, '!false', '');
end;

procedure StrToDateRow(const text: string);
var
  v: TDateTime;
begin
  if TryStrToDate(text, v) then
    Row('strtodate', text, '=' + DBits(v), '')
  else
    Row('strtodate', text, '!false', '');
end;

procedure NeutralSettings;
const
  ShortMonths: array[1..12] of string =
    ('Jan', 'Feb', 'Mar', 'Apr', 'May', 'Jun', 'Jul', 'Aug', 'Sep', 'Oct', 'Nov', 'Dec');
  LongMonths: array[1..12] of string =
    ('January', 'February', 'March', 'April', 'May', 'June', 'July', 'August', 'September',
     'October', 'November', 'December');
  ShortDays: array[1..7] of string = ('Sun', 'Mon', 'Tue', 'Wed', 'Thu', 'Fri', 'Sat');
  LongDays: array[1..7] of string =
    ('Sunday', 'Monday', 'Tuesday', 'Wednesday', 'Thursday', 'Friday', 'Saturday');
var
  i: Integer;
begin
  with DefaultFormatSettings do
  begin
    DecimalSeparator := '.';
    ThousandSeparator := ',';
    DateSeparator := '/';
    TimeSeparator := ':';
    ShortDateFormat := 'yyyy/mm/dd';
    LongDateFormat := 'yyyy/mm/dd';
    ShortTimeFormat := 'hh:nn';
    LongTimeFormat := 'hh:nn:ss';
    TimeAMString := 'AM';
    TimePMString := 'PM';
    { No currency symbol: %m gives the %n text of the value. }
    CurrencyString := '';
    CurrencyFormat := 0;
    NegCurrFormat := 1;
    CurrencyDecimals := 2;
    for i := 1 to 12 do
    begin
      ShortMonthNames[i] := ShortMonths[i];
      LongMonthNames[i] := LongMonths[i];
    end;
    for i := 1 to 7 do
    begin
      ShortDayNames[i] := ShortDays[i];
      LongDayNames[i] := LongDays[i];
    end;
  end;
end;

procedure FormatRows;
var
  d, big, neg, half, tiny, third, sum: Double;
  cur, negCur: Currency;
  i64: Int64;
begin
  d := 1234.5;
  big := 123456789012345678.0;
  neg := -1234567.891;
  half := 2.675;
  tiny := 0.00001;
  third := 1 / 3;
  sum := 0.1;
  sum := sum + 0.2;
  cur := 1234.5;
  negCur := -1234.5678;
  i64 := 12345678901;

  { Texts the program formats. }
  Fmt('EDBEngineError Error %.2d: Code: %d, Message: %s', [1, 13059, 'General SQL error']);
  Fmt('EDBEngineError Error %.2d: Code: %d, Message: %s', [12, -5, '']);
  Fmt('Exception is %s'#13#10'Message %.2d: ', ['EAccessViolation', 1]);
  Fmt('ErrorMessage Count: %d', [3]);
  Fmt('%s%s%s=%s', ['', '', 'TE001', '''A01''']);
  Fmt('%s%s%s=%s', ['TE002>''20240101''', ' and ', 'TE001', '''A01''']);
  Fmt('%3.2f%%', [Double(12.345)]);
  Fmt('%3.2f%%', [Double(5)]);
  Fmt('%3.2f%%', [Double(-0.5)]);
  Fmt('%3.2f%%', [Double(100)]);
  Fmt('select top 1 MF001,MF003,MF004,MF005,MF006 from $$CMSMF CMSMF where MF001=''%S''',
    ['TWD', 'MF001,MF003,MF004,MF005,MF006', 'DEMO', 'N']);
  Fmt('#%s##0.%s', [',', '00']);
  Fmt('#%s##0.%s', ['', '']);
  Fmt('%.*f', [2, half]);
  Fmt('%.*f', [0, d]);
  Fmt('%.*f', [4, Double(-0.00005)]);
  Fmt('UDF%.2d', [1]);
  Fmt('UDF%.2d', [100]);
  Fmt('%d%.2d%.2d', [2024, 1, 5]);
  Fmt('%s %s (%s)', ['a', 'b', 'c']);
  Fmt('(SUBSTRING(%s%s%s ,1,8 ) %s %s)', ['TE', '.', 'CREATE_DATE', '>=', '''20240101''']);
  Fmt('//%s/@%s', ['Row', 'Name']);
  Fmt('%.4d%s%.2d%s%.2d', [2024, '/', 1, '/', 5]);
  Fmt('%.4d%s%.2d%s%.2d', [33, '-', 12, '-', 31]);
  Fmt('%.2d%s%.2d%s%.4d', [1, '/', 5, '/', 2024]);
  Fmt('%.2d%s%.2d%s%.2d', [113, '.', 1, '.', 5]);
  Fmt('%.3d%s%.2d%s%.2d', [13, '/', 1, '/', 5]);
  Fmt('%.4d%s%.2d%s%.2d %.2d:%.2d:%.2d:%.3d', [2024, '/', 1, '/', 5, 9, 8, 7, 6]);
  Fmt('%.2d%s%.2d%s%.4d %.2d:%.2d:%.2d:%.3d', [1, '/', 5, '/', 2024, 23, 59, 59, 999]);
  Fmt('%.3d%s%.2d%s%.2d %.2d:%.2d:%.2d:%.3d', [113, '/', 1, '/', 5, 0, 0, 0, 0]);

  { Integers. }
  Fmt('%.*d', [4, 7]);
  Fmt('%.*d', [1, 12345]);
  Fmt('%.3d', [-5]);
  Fmt('%.3d', [-1234]);
  Fmt('%5d', [42]);
  Fmt('%5d|', [-42]);
  Fmt('%-5d|', [42]);
  Fmt('%*d', [5, 42]);
  Fmt('%*d|', [-4, 1]);
  Fmt('%-*d|', [4, 1]);
  Fmt('%*.*d', [6, 3, 5]);
  Fmt('%d', [i64]);
  Fmt('%d', [High(Int64)]);
  Fmt('%d', [Low(Int64)]);
  Fmt('%d', [Low(Integer)]);
  Fmt('%.25d', [5]);
  Fmt('%u', [-1]);
  Fmt('%u', [Int64(-5)]);
  Fmt('%x', [255]);
  Fmt('%x', [-1]);
  Fmt('%x', [Int64(-5)]);
  Fmt('%.4x', [10]);
  Fmt('%5x|%-5x|', [255, 255]);
  Fmt('%X', [48879]);
  Fmt('%p', [nil]);

  { Floating point. }
  Fmt('%f', [d]);
  Fmt('%.0f', [d]);
  Fmt('%.0f', [Double(0.5)]);
  Fmt('%.0f', [Double(-2.5)]);
  Fmt('%.2f', [half]);
  Fmt('%.2f', [Double(0.125)]);
  Fmt('%.2f', [Double(-0.001)]);
  Fmt('%.18f', [half]);
  Fmt('%.40f', [Double(1.5)]);
  Fmt('%f', [big]);
  Fmt('%15.2f|', [Double(-3.14159)]);
  Fmt('%-8.3f|', [d]);
  Fmt('%n', [d]);
  Fmt('%n', [neg]);
  Fmt('%.0n', [Double(1235.5)]);
  Fmt('%.0n', [Double(-0.4)]);
  Fmt('%n', [big]);
  Fmt('%-15.2n|', [Double(3.14159)]);
  Fmt('%e', [d]);
  Fmt('%e', [Double(1)]);
  Fmt('%e', [Double(0)]);
  Fmt('%e', [third]);
  Fmt('%.3e', [Double(-0.000123)]);
  Fmt('%.0e', [d]);
  Fmt('%.3e', [Double(99999)]);
  Fmt('%10.4e|', [d]);
  Fmt('%.15e', [third]);
  Fmt('%.25e', [third]);
  Fmt('%e', [Double(-1e300)]);
  Fmt('%g', [d]);
  Fmt('%g', [Double(0)]);
  Fmt('%g', [sum]);
  Fmt('%g', [third]);
  Fmt('%g', [big]);
  Fmt('%g', [Double(1e15)]);
  Fmt('%g', [Double(1e20)]);
  Fmt('%g', [tiny]);
  Fmt('%g', [Double(0.0001)]);
  Fmt('%g', [Double(1e-7)]);
  Fmt('%.3g', [d]);
  Fmt('%.5g', [Double(123456)]);
  Fmt('%.5g', [Double(12345)]);
  Fmt('%.5g', [Double(99999.9)]);
  Fmt('%.4g', [Double(0.000001234)]);
  Fmt('%.16g', [third]);

  { Currency. }
  Fmt('%m', [d]);
  Fmt('%m', [cur]);
  Fmt('%m', [negCur]);
  Fmt('%.1m', [cur]);
  Fmt('%.0m', [Double(-1234.5)]);
  Fmt('%f', [cur]);
  Fmt('%n', [negCur]);
  Fmt('%g', [negCur]);

  { Texts, characters, indexes. }
  Fmt('%-10s|', ['ab']);
  Fmt('%-10s|', ['abcdefghijkl']);
  Fmt('%10s|', ['ab']);
  Fmt('%5.2s|', ['abcdef']);
  Fmt('%.1s|', ['abc']);
  Fmt('%.*s|', [2, 'abc']);
  Fmt('%S', ['q']);
  Fmt('%s%s', ['A', 'b']);
  Fmt('%s', ['a', 'surplus']);
  Fmt('%1:s %0:s', ['a', 'b']);
  Fmt('%0:s %s', ['a', 'b']);
  Fmt('%2:s%s', [1, 2, 'c', 'd']);
  Fmt('%1:s%0:s%1:s', ['x', 'y']);
  Fmt('%%', []);
  Fmt('100%%', []);
  Fmt('no placeholder', []);
  Fmt('', []);

  { Faults: the format or the arguments are wrong. }
  Fmt('%d', []);
  Fmt('%d %d', [1]);
  Fmt('%s', []);
  Fmt('%d', ['x']);
  Fmt('%s', [5]);
  Fmt('%s', [d]);
  Fmt('%f', [5]);
  Fmt('%d', [d]);
  Fmt('%d', [cur]);
  Fmt('%x', ['x']);
  Fmt('%1:s %s', ['a', 'b']);
  Fmt('%3:s', ['a']);
  Fmt('%*d', ['x', 1]);
  Fmt('abc%', []);
  Fmt('abc%', [1]);
  Fmt('%k', [5]);
  Fmt('%2', []);
  Fmt('%-', [1]);
  Fmt('%.', [1]);
  Fmt('%0*d', [6, 5]);
end;

procedure FormatFloatRows;
const
  Patterns: array[0..27] of string = (
    '#,##0.#######', '#,##0.00', '#,##0.##', '##0.00', '##0.##', '#,##0.', '##0.',
    '##0.#######', '##0.###', '#,##0.###', '#,##0.0', '#,##0.000', '#,##0.0000',
    '#,##0.000000', '#,##0.00000000', '#,##0.00000000000', '0.00;(0.00);zero', '0.###E+00',
    '', '0', '0.00', '#.##', '#,##0.00;(#,##0.00)', '#,##0.00;;Zero', '0.000E+00', '#.###E-0',
    '#', '0.00E+0');
  Values: array[0..15] of Double = (
    0, -0.5, 0.005, 2.675, 9999999.9, 1234567.891, -1234.5, 1e15, 1e-7, 123456789012.345,
    1234, 0.5, 0.125, -0.004, 0.001, 1e17);
  Odd: array[0..21] of string = (
    '"abc"0', '''x''0.0', '0"%"', '0 kg', '00000', '0,000', '#,#', '0.0,0', '0.#0', '#0.0#',
    ';', '0;', 'abc', '.', ',', 'E+', '0E', '0E+', '0.0E-', '0\0', '"', '0.0000000000000000000000000000');
var
  p: string;
  v: Double;
begin
  for p in Patterns do
    for v in Values do
      FF(p, v);
  for p in Odd do
  begin
    FF(p, 5);
    FF(p, -5);
    FF(p, 1234.56);
  end;
  FF('0.000000000000000', 1234567.891);
  FF('0.00000000000000000000000', 0.1);
  FF('0.0', 0.15);
  FF('0.0', 0.25);
  FF('0.0', 0.45);
  FF('0.00', 1.005);
  FF('0', 1e16);
  FF('0', 99999999999999984.0);
  FF('#,##0.00', 123456789012345.0);
  FF('#,##0.00', -1e300);
  FF('0.00E+00', 1e300);
  FF('0.00E+00', 1e-300);
  FF('0.0', 5e-324);
  FF('0E+0', 5e-324);
  FF('0.00;', -5);
  FF(';;', 0);
  FF('0;;', 0);
  FF('abc', 0);
end;

procedure FloatToStrRows;
const
  Values: array[0..27] of Double = (
    0, 5, 5.5, -5.5, 0.5, 2.675, 1e15, 1e14, 1e-5, 1e-4, 0.00001234, 123456789012345678.0,
    123456789012345.0, 1234567890123456.0, 999999999999999.9, 1.5e300, -1.5e-10, 5e-324,
    1.7976931348623157e308, 0.1, 1 / 3, 2 / 3, 100, 1234.5, 0.99999999999999999, 12345.678,
    -0.0001, 1e21);
var
  v, sum: Double;
begin
  for v in Values do
    FTS(v);
  sum := 0.1;
  sum := sum + 0.2;
  FTS(sum);
end;

procedure FormatDateTimeRows;
const
  Patterns: array[0..43] of string = (
    'YYYY/MM/DD hh:nn:ss:zzz', 'YYYYMMDD', 'YYYYMM', 'YYYY', 'YYYY-mm-DD HH:nn:ss',
    'yyyymmddhhnnss', 'yyyymmdd', 'hh:mm', 'hh:mm:ss', 'h:m', 'c', 'dddd d mmmm yy', 'am/pm',
    'h am/pm', 'hh:nn AM/PM', 'hh a/p', 'A/P', 'ampm', 'aM/pM', 'ddddd', 'dddddd', 't', 'tt',
    'mm', 'm', 'mmm mmmm', 'ddd dddd', 'd dd', 'yy yyy y', 'z zz zzz', 'ZZZZ',
    'hh:nn:ss "text" ''lit''', '"abc', 'mm/dd', '/:', 'hhh nnn sss', 'ddddddd mmmmm yyyyy',
    'hh:m:mm s mm', 'h:ss:mm', 'nn mm', 'hh dd mm', 'h mmm', '', 'yyyy/mm/dd hh:nn:ss');
  Odd: array[0..7] of string = ('h m', 'm h m', 'h"x"m', 'mm yy hh mm', 'h mmm', 'x"', 'a', 'h am');
  NoonPatterns: array[0..3] of string = ('c', 'am/pm', 'ampm', 'h a/p');
  EdgePatterns: array[0..1] of string = ('yyyy/mm/dd hh:nn:ss:zzz', 'c');
var
  p: string;
  afternoon, morning, midnight, noon, negative, early: TDateTime;
begin
  afternoon := EncodeDate(2024, 1, 5) + EncodeTime(13, 7, 9, 45);
  morning := EncodeDate(1999, 12, 31) + EncodeTime(0, 7, 9, 5);
  midnight := EncodeDate(2024, 2, 29);
  noon := EncodeDate(2024, 1, 5) + EncodeTime(12, 0, 0, 0);
  negative := EncodeDate(1899, 12, 29) - 0.75;
  early := EncodeDate(1, 1, 1) + EncodeTime(23, 59, 59, 999);
  for p in Patterns do
  begin
    FDT(p, afternoon);
    FDT(p, morning);
    FDT(p, midnight);
  end;
  for p in NoonPatterns do
    FDT(p, noon);
  for p in EdgePatterns do
  begin
    FDT(p, negative);
    FDT(p, early);
    FDT(p, 0.5);
    FDT(p, 0);
    FDT(p, -0.25);
    FDT(p, EncodeDate(2024, 1, 5) + EncodeTime(23, 59, 59, 999) + 0.6 / 86400000);
    FDT(p, EncodeDate(2024, 1, 5) + EncodeTime(0, 0, 0, 1));
  end;
  for p in Odd do
    FDT(p, afternoon);
end;

procedure DateRows;
const
  Offsets: array[0..5] of Double = (0.4, 0.49, 0.51, 0.6, 1.4, 1.6);
var
  x: Double;
begin
  EncodeDateRow(1, 1, 1);
  EncodeDateRow(1899, 12, 30);
  EncodeDateRow(1899, 12, 29);
  EncodeDateRow(1900, 2, 28);
  EncodeDateRow(1900, 2, 29);
  EncodeDateRow(2000, 2, 29);
  EncodeDateRow(2023, 2, 29);
  EncodeDateRow(2024, 2, 29);
  EncodeDateRow(2024, 4, 31);
  EncodeDateRow(2024, 1, 5);
  EncodeDateRow(9999, 12, 31);
  EncodeDateRow(0, 1, 1);
  EncodeDateRow(10000, 1, 1);
  EncodeDateRow(2024, 0, 1);
  EncodeDateRow(2024, 13, 1);
  EncodeDateRow(2024, 1, 0);
  EncodeDateRow(1753, 1, 1);
  EncodeTimeRow(0, 0, 0, 0);
  EncodeTimeRow(12, 0, 0, 0);
  EncodeTimeRow(23, 59, 59, 999);
  EncodeTimeRow(13, 7, 9, 45);
  EncodeTimeRow(24, 0, 0, 0);
  EncodeTimeRow(0, 60, 0, 0);
  EncodeTimeRow(0, 0, 60, 0);
  EncodeTimeRow(0, 0, 0, 1000);
  DecodeRow(0);
  DecodeRow(-1.25);
  DecodeRow(-0.25);
  DecodeRow(-693593);
  DecodeRow(-693593 + 0.5);
  DecodeRow(2958465.75);
  DecodeRow(45296.5);
  DecodeRow(0.99999999);
  DecodeRow(EncodeDate(2024, 1, 5) + EncodeTime(23, 59, 59, 999) + 0.6 / 86400000);
  DecodeRow(EncodeDate(2024, 2, 29) + EncodeTime(6, 30, 0, 0));
  DecodeRow(EncodeDate(1900, 3, 1));
  for x in Offsets do
  begin
    DecodeRow(x / 86400000);
    DecodeRow(45296 + 0.5 + x / 86400000);
    DecodeRow(-(45296 + 0.5 + x / 86400000));
  end;
end;

procedure ParseRows;
const
  Ints: array[0..36] of string = (
    '123', ' 12', #9'7', '12 ', ' 12 ', '+5', '-5', '- 5', '--5', '$FF', '0xFF', '0XfF', '-$10',
    '$-10', '$', '0x', '', ' ', '2147483647', '-2147483648', '2147483648', '-2147483649',
    '9223372036854775807', '9223372036854775808', '1.5', '1e3', '12a', 'abc', '007', '$7FFFFFFF',
    '$FFFFFFFF', '$100000000', 'x1F', 'X1f', '&17', '%101', '$FFFFFFFFFFFFFFFF');
  Floats: array[0..27] of string = (
    '1.5', ' 1.5', '1.5 ', '1,5', '1e3', '1E+3', '-.5e-2', '.5', '5.', '', ' ', 'abc', '1.5x',
    '$10', '1e400', '0', '-0', '123456789012345678', '0.1', '2.675', '1.7976931348623157e308',
    '1e', '+1.5', '1.2.3', '1e-400', 'inf', 'nan', #9'2'#13#10);
  Dates: array[0..17] of string = (
    '2024/01/05', '2024/1/5', ' 2024/01/05', '2024/01/05 ', '2024-01-05', '2024/13/01',
    '2024/02/30', '2024/02/29', '2023/02/29', '', 'abc', '2024/01', '2024/01/05/07',
    '2024//05', '0001/01/01', '9999/12/31', '10000/01/01', '0000/01/01');
var
  s: string;
begin
  for s in Ints do
    StrToIntRow(s);
  for s in Floats do
    StrToFloatRow(s);
  for s in Dates do
    StrToDateRow(s);
end;

begin
  NeutralSettings;
  WriteLn('# Generated by tools/fpcref/generate.sh from tools/fpcref/fpcref.pas with FreePascal ',
    {$I %FPCVERSION%}, ' (SysUtils); do not edit.');
  WriteLn('# kind', #9, 'pattern', #9, 'result', #9, 'arguments...');
  FormatRows;
  FormatFloatRows;
  FloatToStrRows;
  FormatDateTimeRows;
  DateRows;
  ParseRows;
end.
