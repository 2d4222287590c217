// K-bit synchronous counter of flip-flops and gates.
`timescale 1ns/1ns
module top;
  parameter K = 16, CYCLES = 10, HALF = 100;
  localparam END = 2 * CYCLES * HALF + HALF / 2;
  reg clk = 0, rst = 0;
  always #HALF clk = ~clk;
  wire cout;
  counter #(.K(K), .SNAP(END - 1)) cnt (clk, rst, cout);
  initial begin
    #(END);
    $display("count=%h", cnt.snap);
    $finish;
  end
endmodule
