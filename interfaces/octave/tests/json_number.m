% value = json_number(v): the double a JSON value of the data files stands for,
% exactly. v is a number, a decimal string or a C99 hexadecimal float string
% ("0x1.8p+1", "-0x0p+0", "nan", "inf"). Hexadecimal digits are scaled by
% powers of two (at most 13 fraction digits: 52 bits), so every step is exact;
% decimal strings go through str2double, which rounds correctly.
function value = json_number(v)
  if isnumeric(v) || islogical(v)
    value = double(v);
    return;
  end
  text = lower(strtrim(v));
  if isempty(regexp(text, '^[+-]?0x[0-9a-f]+(\.[0-9a-f]*)?p[+-]?[0-9]+$', 'once'))
    value = str2double(text);
    if isnan(value) && isempty(regexp(text, '^[+-]?nan$', 'once'))
      error('json_number: "%s" is not a number', v);
    end
    return;
  end
  negative = text(1) == '-';
  text = text(find(text == 'x') + 1:end);
  [digits, exponent] = strtok(text, 'p');
  [whole, fraction] = strtok(digits, '.');
  fraction = regexprep(fraction(2:end), '0+$', '');
  if numel(fraction) > 13
    error('json_number: "%s" has more digits than a double holds', v);
  end
  mantissa = hex2dec(whole);
  if ~isempty(fraction)
    mantissa = mantissa + hex2dec(fraction) * 16 ^ -numel(fraction);
  end
  value = pow2(mantissa, str2double(exponent(2:end)));
  if negative
    value = -value;
  end
end
