% entries = read_json_lines(source, is_text): one decoded JSON object for each
% non-empty line of a file (or, with is_text, of the text source itself).
%
% Octave's jsondecode does not round decimal numbers correctly (it is off by an
% ulp on about one number in thirteen of our problems), so every bare number
% becomes a string, which json_number later reads exactly.
function entries = read_json_lines(source, is_text)
  if nargin < 2 || ~is_text
    source = fileread(source);
  end
  lines = strsplit(source, "\n");
  lines = lines(~cellfun(@isempty, strtrim(lines)));
  entries = cellfun(@(line) jsondecode(quote_numbers(line)), lines, 'UniformOutput', false);
end

function line = quote_numbers(line)
  [strings, between] = regexp(line, '"(?:[^"\\]|\\.)*"', 'match', 'split');
  between = regexprep(between, '(-?[0-9]+(?:\.[0-9]+)?(?:[eE][+-]?[0-9]+)?)', '"$1"');
  parts = [between; [strings, {''}]];
  line = [parts{:}];
end
