% expect_same_bits(expected, actual, what): the two arrays hold the same doubles
% bit for bit (any NaN equals any NaN); a failure names the position and both
% bit patterns. expected may hold strings that json_number reads.
function expect_same_bits(expected, actual, what)
  if ischar(expected)
    expected = {expected};
  end
  if iscell(expected)
    expected = cellfun(@json_number, expected);
  else
    expected = arrayfun(@json_number, expected);
  end
  expected = expected(:);
  actual = double(actual(:));
  if numel(expected) ~= numel(actual)
    error('%s: expected %d values, got %d', what, numel(expected), numel(actual));
  end
  for k = 1:numel(expected)
    same = (isnan(expected(k)) && isnan(actual(k))) || ...
           strcmp(num2hex(expected(k)), num2hex(actual(k)));
    if ~same
      error('%s: at position %d: expected %s (%.17g), got %s (%.17g)', what, k - 1, ...
            num2hex(expected(k)), expected(k), num2hex(actual(k)), actual(k));
    end
  end
end
