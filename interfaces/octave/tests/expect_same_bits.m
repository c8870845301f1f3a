% expect_same_bits(expected, actual, what): the two arrays hold the same doubles
% bit for bit (any NaN equals any NaN); a failure names the position and both
% bit patterns. expected may hold strings that json_number reads.
function expect_same_bits(expected, actual, what)
  expected = json_number(expected);
  actual = double(actual(:));
  if numel(expected) ~= numel(actual)
    error('%s: expected %d values, got %d', what, numel(expected), numel(actual));
  end
  same = (isnan(expected) & isnan(actual)) | ...
         all(num2hex(expected) == num2hex(actual), 2);
  if ~all(same)
    k = find(~same, 1);
    error('%s: at position %d: expected %s (%.17g), got %s (%.17g)', what, k - 1, ...
          num2hex(expected(k)), expected(k), num2hex(actual(k)), actual(k));
  end
end
