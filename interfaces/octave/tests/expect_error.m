% expect_error(code, message): evaluating code in the caller raises an error
% whose message is exactly message.
function expect_error(code, message)
  try
    evalin('caller', [code ';']);
  catch err
    if ~strcmp(err.message, message)
      error('%s\n  raised:   "%s"\n  expected: "%s"', code, err.message, message);
    end
    return;
  end
  error('%s\n  raised nothing, expected "%s"', code, message);
end
