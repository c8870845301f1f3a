% values = json_number(v): the doubles that JSON values of the data files stand
% for, exactly, as a column. v is a number (or numeric array), a string, or a
% cell array of strings; each string a decimal number or a C99 hexadecimal
% float ("0x1.8p+1", "-0x0p+0", "nan", "inf"). Hexadecimal digits are scaled by
% powers of two (at most 13 fraction digits: 52 bits), so every step is exact;
% decimal strings go through str2double, which rounds correctly.
function values = json_number(v)
  if isnumeric(v) || islogical(v)
    values = double(v(:));
    return;
  end
  texts = lower(strtrim(cellstr(v)));
  texts = texts(:);
  values = str2double(texts);
  parts = regexp(texts, '^(?<sign>[+-]?)0x(?<whole>[0-9a-f]+)\.?(?<fraction>[0-9a-f]*)p(?<exponent>[+-]?[0-9]+)$', 'names', 'once');
  hex = ~cellfun(@isempty, parts);
  bad = ~hex & isnan(values) & cellfun(@isempty, regexp(texts, '^[+-]?nan$', 'once'));
  if any(bad)
    error('json_number: "%s" is not a number', texts{find(bad, 1)});
  end
  if any(hex)
    parts = [parts{hex}];
    fractions = regexprep({parts.fraction}, '0+$', '');
    digits = cellfun(@numel, fractions);
    if any(digits > 13)
      error('json_number: a hexadecimal float has more digits than a double holds');
    end
    fractions(digits == 0) = {'0'};
    mantissas = hex2dec({parts.whole}) + hex2dec(fractions) .* 16 .^ -digits(:);
    magnitudes = pow2(mantissas, str2double({parts.exponent})(:));
    negative = strcmp({parts.sign}, '-')(:);
    magnitudes(negative) = -magnitudes(negative);
    values(hex) = magnitudes;
  end
end
